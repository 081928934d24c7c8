// The main window and its components, as stored.
object frmMain: TfrmMain
  Left = 646
  Top = 415
  BorderIcons = [biSystemMenu, biMinimize]
  BorderStyle = bsSingle
  Caption = 'Corvane'
  ClientHeight = 240
  ClientWidth = 320
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  OnKeyDown = FormKeyDown
  PixelsPerInch = 96
  TextHeight = 13
  object dxTimer: TDXTimer
    ActiveOnly = True
    Enabled = False
    Interval = 16
    OnTimer = dxTimerTimer
  end
  object dxFont: TDXDIB
    DIB.Data = file 'dxFont.DIB.Data'
  end
end
