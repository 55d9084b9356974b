Attribute VB_Name = "modDatabase"
Option Explicit

Private m_Conn As Object

Public Function OpenStockDatabase(ByVal FileName As String) As Boolean
    If Len(Dir$(FileName)) = 0 Then Exit Function
    On Error GoTo Failed
    Set m_Conn = CreateObject("ADODB.Connection")
    m_Conn.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & FileName
    OpenStockDatabase = True
    Exit Function
Failed:
    gLog.WriteLine "OpenStockDatabase: " & Err.Description
End Function

Public Sub LoadItems(ByVal Stock As CStock)
    Dim rs As Object
    Set rs = m_Conn.Execute("SELECT Code, Description, Quantity, UnitPrice FROM Items")
    Do Until rs.EOF
        Stock.Add rs!Code, rs!Description, rs!Quantity, rs!UnitPrice
        rs.MoveNext
    Loop
    rs.Close
End Sub
