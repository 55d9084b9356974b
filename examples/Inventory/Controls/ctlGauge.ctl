VERSION 5.00
Begin VB.UserControl ctlGauge 
   ClientHeight    =   375
   ClientWidth     =   2400
   PropertyPages   =   "ctlGauge.ctx":0000
   ScaleHeight     =   375
   ScaleWidth      =   2400
   ToolboxBitmap   =   "ctlGauge.ctx":0010
   Begin VB.Shape shpBar 
      BackColor       =   &H0000C000&
      BackStyle       =   1  'Opaque
      Height          =   375
   End
End
Attribute VB_Name = "ctlGauge"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
Option Explicit

Private m_Value As Long

Public Property Get Value() As Long
    Value = m_Value
End Property

Public Property Let Value(ByVal NewValue As Long)
    m_Value = NewValue
    shpBar.Width = ScaleWidth * m_Value \ 100 'percent, 0 to 100
    PropertyChanged "Value"
End Property

Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    Value = PropBag.ReadProperty("Value", 0)
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    PropBag.WriteProperty "Value", m_Value, 0
End Sub
