Attribute VB_Name = "modMain"
Option Explicit

Public gLog As CLog
Public gStock As CStock

Public Sub InitGlobals()
    Set gLog = New CLog
    gLog.WriteLine App.Title & " " & App.Major & "." & App.Minor & "." & App.Revision & " starting"
    Set gStock = New CStock
    If Not OpenStockDatabase(App.Path & "\Inventory.mdb") Then
        gLog.WriteLine "Stock database not found; starting empty"
    Else
        LoadItems gStock
    End If
End Sub

Public Sub Main()
    InitGlobals
    frmMain.Show
End Sub
