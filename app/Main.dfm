object frmMain: TfrmMain
  BorderIcons = [biSystemMenu, biMinimize]
  BorderStyle = bsSingle
  Caption = 'Quorva'
  ClientHeight = 157
  ClientWidth = 375
  Color = 16771304
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -10
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  ScreenSnap = True
  SnapBuffer = 10
  OnClose = FormClose
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  object pnlTime: TPanel
    Align = alClient
    BevelOuter = bvNone
    BorderWidth = 5
    Caption = '00 hrs, 00 min, 00 sec'
    ParentColor = True
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -24
    Font.Name = 'Courier New'
    Font.Style = [fsBold]
    object lblElapsedTime: TLabel
      Left = 10
      Top = 5
      Caption = 'Elapsed'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clNavy
      Font.Height = -12
      Font.Name = 'MS Sans Serif'
      Font.Style = [fsBold]
      Transparent = True
    end
  end
  object Timer: TTimer
    Enabled = False
    OnTimer = TimerTimer
  end
  object ImageList: TcxImageList
    Height = 32
    Width = 32
    FormatVersion = 1
    DesignInfo = 7471329
    ImageInfo = <
      item
        Image.Data = @'exit.bin'
      end
      item
        Image.Data = @'start.bin'
      end
      item
        Image.Data = @'pause.bin'
      end
      item
        Image.Data = @'stop.bin'
      end
      item
        Image.Data = @'about.bin'
      end>
  end
  object ActionList: TActionList
    Images = ImageList
    object actExit: TAction
      Caption = 'Exit'
      Hint = 'Exit'
      ImageIndex = 0
      ShortCut = 32856
      OnExecute = actExitExecute
    end
    object actStart: TAction
      Caption = 'Start'
      Hint = 'Start Timer'
      ImageIndex = 1
      ShortCut = 113
      OnExecute = actStartExecute
    end
    object actPause: TAction
      Caption = 'Pause'
      Hint = 'Pause Timer'
      ImageIndex = 2
      ShortCut = 114
      OnExecute = actPauseExecute
    end
    object actStop: TAction
      Caption = 'Stop'
      Hint = 'Stop Timer'
      ImageIndex = 3
      ShortCut = 115
      OnExecute = actStopExecute
    end
    object actAbout: TAction
      Caption = 'About'
      Hint = 'About'
      ImageIndex = 4
      ShortCut = 32833
      OnExecute = actAboutExecute
    end
  end
  object BarManager: TdxBarManager
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -12
    Font.Name = 'Segoe UI'
    Font.Style = []
    Categories.Strings = (
      'Default')
    Categories.ItemsVisibles = (
      2)
    Categories.Visibles = (
      True)
    ImageOptions.LargeImages = ImageList
    ImageOptions.MakeDisabledImagesFaded = True
    ImageOptions.UseLargeImagesForLargeIcons = True
    Style = bmsOffice11
    UseSystemFont = True
    Bars = <
      item
        Name = 'Toolbar'
        Caption = 'Main'
        BorderStyle = bbsNone
        DockingStyle = dsTop
        DockedDockingStyle = dsTop
        DockedLeft = 0
        DockedTop = 0
        FloatLeft = 412
        FloatTop = 8
        FloatClientWidth = 0
        FloatClientHeight = 0
        ItemLinks = <
          item
            Visible = True
            ItemName = 'btnExit'
          end
          item
            Visible = True
            ItemName = 'btnStart'
          end
          item
            Visible = True
            ItemName = 'btnPause'
          end
          item
            Visible = True
            ItemName = 'btnStop'
          end
          item
            Visible = True
            ItemName = 'btnAbout'
          end>
        OneOnRow = True
        Row = 0
        ShowMark = False
        SizeGrip = False
        UseOwnFont = False
        UseRestSpace = True
        Visible = True
        WholeRow = True
      end>
    DockControlHeights = (
      0
      0
      54
      0)
  end
  object btnExit: TdxBarLargeButton
    Action = actExit
    Category = 0
    AutoGrayScale = False
    Width = 75
  end
  object btnStart: TdxBarLargeButton
    Action = actStart
    Category = 0
    AutoGrayScale = False
    Width = 75
  end
  object btnPause: TdxBarLargeButton
    Action = actPause
    Category = 0
    AutoGrayScale = False
    Width = 75
  end
  object btnStop: TdxBarLargeButton
    Action = actStop
    Category = 0
    AutoGrayScale = False
    Width = 75
  end
  object btnAbout: TdxBarLargeButton
    Action = actAbout
    Category = 0
    AutoGrayScale = False
    Width = 75
  end
end
