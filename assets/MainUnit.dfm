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
  object dxDraw: TDXDraw
    Left = 0
    Top = 0
    Width = 320
    Height = 240
    AutoInitialize = True
    AutoSize = False
    Color = clBtnFace
    Display.BitCount = 16
    Display.FixedBitCount = True
    Display.FixedRatio = True
    Display.FixedSize = False
    Display.Height = 240
    Display.Width = 320
    Options = [doAllowReboot, doWaitVBlank, doAllowPalette256, doDirectX7Mode, doHardware]
    SurfaceHeight = 240
    SurfaceWidth = 320
    Align = alClient
  end
  object dxTimer: TDXTimer
    ActiveOnly = True
    Enabled = False
    Interval = 16
    OnTimer = dxTimerTimer
  end
  object ImageList: TDXImageList
    DXDraw = dxDraw
    Items = <
      item
        Name = 'cvnLogo'
        PatternHeight = 0
        PatternWidth = 0
        Picture.Data = file 'cvnLogo.Picture.Data'
        SystemMemory = False
        Transparent = False
        TransparentColor = clGreen
      end>
  end
  object dxFont: TDXDIB
    DIB.Data = file 'dxFont.DIB.Data'
  end
end
