VERSION 5.00
Begin VB.Form frmAbout 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "About Inventory"
   ClientHeight    =   1800
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   4200
   ScaleHeight     =   1800
   ScaleWidth      =   4200
   StartUpPosition =   1  'CenterOwner
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Height          =   375
      Left            =   2880
      TabIndex        =   0
      Top             =   1320
      Width           =   1215
   End
   Begin VB.Label lblVersion 
      Height          =   855
      Left            =   120
      Top             =   120
      Width           =   3975
   End
End
Attribute VB_Name = "frmAbout"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    lblVersion.Caption = App.Title & " " & App.Major & "." & App.Minor & "." & App.Revision
End Sub

Private Sub cmdOK_Click()
    Unload Me
End Sub
