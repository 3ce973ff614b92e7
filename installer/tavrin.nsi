; Tavrin's per-user installer.  Built by scripts/package:
;   makensis -INPUTCHARSET UTF8 -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe>
;            -DSRCDIR=<source tree> [-DWITH_WIC] installer/tavrin.nsi
; No administrator rights: everything goes under the user's own folders and
; HKEY_CURRENT_USER.  The user's list file, its backups and the settings are
; never removed unless the user asks for it in the uninstaller.
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Tavrin"
!define VERSION "2.0β"
!define PUBLISHER "Vandrel Software"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin"
!define SETTINGS_KEY "Software\Vandrel Software\Tavrin\Settings"
!define TRAY_CLASS "TavrinTrayWindow"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} セットアップ"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tavrin"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "2.0.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

!define MUI_ICON "${SRCDIR}\res\tavrin.ico"
!define MUI_UNICON "${SRCDIR}\res\tavrin.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Tavrin ${VERSION} を、このユーザーのためにインストールします。管理者の権限は要りません。$\r$\n$\r$\nTavrin が起動しているときは、セットアップが Tavrin を終了させます(壁紙のリストと設定は保存され、インストール後もそのまま使えます)。$\r$\n$\r$\n「次へ」をクリックして続けてください。"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavrin.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Tavrin を起動する"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; A running Tavrin holds tavrin.exe and would save its list over anything we
; do: ask it to end the way its own 終了 command does (it saves list and settings).
!macro CLOSE_RUNNING_TAVRIN
  FindWindow $0 "${TRAY_CLASS}"
  ${If} $0 <> 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Tavrin が起動しています。Tavrin を終了してから続けます。" /SD IDOK IDOK +2
    Abort
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $1 0
    ${Do}
      Sleep 100
      FindWindow $0 "${TRAY_CLASS}"
      IntOp $1 $1 + 1
      ${If} $0 = 0
      ${OrIf} $1 >= 100
        ${Break}
      ${EndIf}
    ${Loop}
    Sleep 300
  ${EndIf}
!macroend

; Sets $R0 to 1 when the value NAME exists in the settings key (of any type), else 0.
!macro SETTING_EXISTS NAME
  StrCpy $R0 0
  StrCpy $R1 0
  ${Do}
    ClearErrors
    EnumRegValue $R2 HKCU "${SETTINGS_KEY}" $R1
    ${If} ${Errors}
    ${OrIf} $R2 == ""
      ${Break}
    ${EndIf}
    ${If} $R2 == "${NAME}"
      StrCpy $R0 1
      ${Break}
    ${EndIf}
    IntOp $R1 $R1 + 1
  ${Loop}
!macroend

Section "Tavrin 本体" SecMain
  SectionIn RO
  !insertmacro CLOSE_RUNNING_TAVRIN

  SetOutPath "$INSTDIR"
  File "${STAGE}\tavrin.exe"
  File "${STAGE}\Tavrin.chm"
  File "${STAGE}\Readme.txt"
  File "${STAGE}\LICENSE.txt"
!ifdef WITH_WIC
  SetOutPath "$INSTDIR\plugins"
  File "${STAGE}\plugins\tvwic.spi"
  SetOutPath "$INSTDIR"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tavrin"
  CreateShortcut "$SMPROGRAMS\Tavrin\Tavrin.lnk" "$INSTDIR\tavrin.exe"
  CreateShortcut "$SMPROGRAMS\Tavrin\Tavrin ヘルプ.lnk" "$INSTDIR\Tavrin.chm"
  ; The log-on shortcut is made by its own section when ticked; a reinstall
  ; without the tick takes the old one away.
  Delete "$SMSTARTUP\Tavrin.lnk"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\tavrin.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" 1024

!ifdef WITH_WIC
  ; JPEG and PNG work at once: plug-ins on, pointing at the shipped one.
  ; Only values that are not there yet; the user's own settings stay.
  !insertmacro SETTING_EXISTS "EnableSPI"
  ${If} $R0 == 0
    WriteRegDWORD HKCU "${SETTINGS_KEY}" "EnableSPI" 1
  ${EndIf}
  !insertmacro SETTING_EXISTS "SPIPath"
  ${If} $R0 == 0
    WriteRegStr HKCU "${SETTINGS_KEY}" "SPIPath" "$INSTDIR\plugins"
  ${EndIf}
!endif
SectionEnd

Section "ログオン時に起動" SecStartup
  CreateShortcut "$SMSTARTUP\Tavrin.lnk" "$INSTDIR\tavrin.exe"
SectionEnd

; Explorer's "Send To" entry: the selected pictures go to the running Tavrin's
; list through "tavrin.exe /add FILE...".
!define SENDTO_LINK "$SENDTO\Tavrin の壁紙リストに追加.lnk"
Section "-SendTo"
  CreateShortcut "${SENDTO_LINK}" "$INSTDIR\tavrin.exe" "/add" "$INSTDIR\tavrin.exe" 0
SectionEnd
Section "-un.SendTo"
  Delete "${SENDTO_LINK}"
SectionEnd

Section "un.Tavrin 本体" UnSecMain
  SectionIn RO
  !insertmacro CLOSE_RUNNING_TAVRIN
  Delete "$INSTDIR\tavrin.exe"
  Delete "$INSTDIR\Tavrin.chm"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\plugins\tvwic.spi"
  RMDir "$INSTDIR\plugins"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Tavrin\Tavrin.lnk"
  Delete "$SMPROGRAMS\Tavrin\Tavrin ヘルプ.lnk"
  RMDir "$SMPROGRAMS\Tavrin"
  Delete "$SMSTARTUP\Tavrin.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Section /o "un.リストファイルと設定も削除する" UnSecData
  Delete "$INSTDIR\List.tvl"
  Delete "$INSTDIR\List.tvl.bak*"
  Delete "$INSTDIR\List.tvl.tmp"
  Delete "$INSTDIR\TVTemp.bmp"
  Delete "$INSTDIR\TVTemp.bmp.tmp"
  DeleteRegKey HKCU "Software\Vandrel Software\Tavrin"
  DeleteRegKey /ifempty HKCU "Software\Vandrel Software"
SectionEnd

Section "-un.folder"
  ; Only when empty: a list file or anything else of the user's keeps it.
  RMDir "$INSTDIR"
SectionEnd

; "uninstall.exe /S /REMOVEDATA" ticks the box for scripted removal.
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecData}
  ${EndIf}
FunctionEnd
