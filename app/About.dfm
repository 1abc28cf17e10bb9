object frmAbout: TfrmAbout
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'About'
  ClientHeight = 197
  ClientWidth = 364
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -13
  Font.Name = 'System'
  Font.Style = []
  KeyPreview = True
  Position = poMainFormCenter
  OnCreate = FormCreate
  object pnlBase: TQibGradPanel
    Left = 0
    Top = 0
    Width = 364
    Height = 197
    Align = alClient
    BevelOuter = bvNone
    BeginColor = clWhite
    EndColor = 16771304
    object imgLogo: TImage
      Left = 10
      Top = 10
      Width = 100
      Height = 128
      Picture.Data = @'logo.bin'
      Stretch = True
      Transparent = True
    end
    object lblProgName: TLabel
      Left = 125
      Top = 10
      Width = 168
      Height = 40
      AutoSize = False
      Caption = 'Quorva'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -35
      Font.Name = 'Times New Roman'
      Font.Style = []
      Transparent = True
    end
    object lblDesc: TLabel
      Left = 125
      Top = 55
      Width = 100
      Height = 16
      AutoSize = False
      Caption = 'Stopwatch Timer'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -13
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      Transparent = True
    end
    object lblVersion: TLabel
      Left = 125
      Top = 70
      Caption = 'Version'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -13
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      Transparent = True
    end
    object lblWebsite: TQibLinkLabel
      Left = 125
      Top = 95
      Width = 119
      Height = 16
      AutoSize = False
      Caption = 'Brenwick Software'
      Cursor = crHandPoint
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlue
      Font.Height = -13
      Font.Name = 'MS Sans Serif'
      Font.Style = [fsUnderline]
      FontActive.Charset = DEFAULT_CHARSET
      FontActive.Color = clRed
      FontActive.Height = -13
      FontActive.Name = 'MS Sans Serif'
      FontActive.Style = [fsUnderline]
      URL = 'https://brenwick.example/quorva'
    end
    object lblCopyright: TLabel
      Left = 161
      Top = 125
      Width = 193
      Height = 13
      Alignment = taRightJustify
      AutoSize = False
      Caption = 'Copyright '#169' 2026 T. Brenwick & Co.'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clGray
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ShowAccelChar = False
      Transparent = True
    end
    object bvlLine: TBevel
      Left = 10
      Top = 150
      Width = 344
      Height = 3
      Shape = bsBottomLine
    end
    object btnOk: TcxButton
      Left = 137
      Top = 163
      Width = 90
      Height = 25
      Caption = '&Ok'
      Default = True
      Cancel = True
      ModalResult = 1
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      Hint = 'Close|Close this dialog'
      TabOrder = 0
      LookAndFeel.NativeStyle = True
      Colors.Hot = clBtnHighlight
    end
  end
end
