VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0"; "MSCOMCTL.OCX"
Begin VB.Form frmMain 
   Caption         =   "Inventory"
   ClientHeight    =   3600
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   5400
   Icon            =   "frmMain.frx":0000
   LinkTopic       =   "Form1"
   ScaleHeight     =   3600
   ScaleWidth      =   5400
   StartUpPosition =   3  'Windows Default
   Begin VB.PictureBox picLogo 
      Height          =   615
      Left            =   120
      Picture         =   "frmMain.frx":001A
      TabIndex        =   0
      Top             =   120
      Width           =   615
   End
   Begin VB.ListBox lstItems 
      Height          =   2205
      Left            =   120
      TabIndex        =   1
      Top             =   840
      Width           =   5160
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    If gStock Is Nothing Then InitGlobals
    gStock.FillList lstItems
End Sub
