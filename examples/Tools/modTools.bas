Attribute VB_Name = "modTools"
Option Explicit

Public gLog As CLog

Public Function CompactDatabase(ByVal FileName As String) As Boolean
    Dim je As Object, temp As String
    If gLog Is Nothing Then Set gLog = New CLog
    If Len(Dir$(FileName)) = 0 Then
        gLog.WriteLine "CompactDatabase: " & FileName & " not found"
        Exit Function
    End If
    temp = FileName & ".tmp"
    Set je = CreateObject("JRO.JetEngine")
    je.CompactDatabase "Data Source=" & FileName, "Data Source=" & temp
    Kill FileName
    Name temp As FileName
    gLog.WriteLine "Compacted " & FileName
    CompactDatabase = True
End Function
