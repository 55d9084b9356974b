VERSION 5.00
Begin VB.Form frmTools 
   BorderStyle     =   1  'Fixed Single
   Caption         =   "Inventory Tools"
   ClientHeight    =   1560
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   3600
   Icon            =   "frmTools.frx":0000
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   ScaleHeight     =   1560
   ScaleWidth      =   3600
   StartUpPosition =   2  'CenterScreen
   Begin VB.CommandButton cmdCompact 
      Caption         =   "&Compact database"
      Height          =   495
      Left            =   240
      TabIndex        =   0
      Top             =   480
      Width           =   3135
   End
End
Attribute VB_Name = "frmTools"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub cmdCompact_Click()
    If CompactDatabase(App.Path & "\..\Inventory\Inventory.mdb") Then
        MsgBox "Database compacted.", vbInformation, App.Title
    End If
End Sub
