; Tavrin's per-user installer.  Built by scripts/package:
;   makensis -INPUTCHARSET UTF8 -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe>
;            -DSRCDIR=<source tree> [-DWITH_WIC] [-DX64] installer/tavrin.nsi
; No administrator rights: everything goes under the user's own folders and
; HKEY_CURRENT_USER.  The user's list file, its backups and the settings are
; never removed unless the user asks for it in the uninstaller.
;
; X64 makes the 64-bit edition's setup (tavrin.exe built for x64, the .sph
; plug-in).  That setup is itself a 64-bit program: it runs wherever the
; program it installs runs (also where no 32-bit program can start), and
; 32-bit Windows refuses to start it at all.  There is one Tavrin per user: both install into the same folder under the same
; Apps & Features entry, so either replaces the other and keeps the list,
; the settings and the plug-in folder.
Unicode true
!ifdef X64
Target amd64-unicode
!endif
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
!ifdef X64
  !define EDITION_NAME "${PRODUCT} (64 ビット)"
  !define WIC_PLUGIN "tvwic.sph"
  !define OTHER_EDITION_NOTE "$\r$\n$\r$\n32 ビット版の Tavrin がインストールされていれば、この 64 ビット版に置き換えます。リスト、設定、プラグインはそのまま使えます。"
!else
  !define EDITION_NAME "${PRODUCT}"
  !define WIC_PLUGIN "tvwic.spi"
  !define OTHER_EDITION_NOTE "$\r$\n$\r$\n64 ビット版の Tavrin がインストールされていれば、この 32 ビット版に置き換えます。リスト、設定、プラグインはそのまま使えます。"
!endif

Name "${PRODUCT}"
Caption "${EDITION_NAME} ${VERSION} セットアップ"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tavrin"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "2.0.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${EDITION_NAME} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

!define MUI_ICON "${SRCDIR}\res\tavrin.ico"
!define MUI_UNICON "${SRCDIR}\res\tavrin.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "${EDITION_NAME} ${VERSION} を、このユーザーのためにインストールします。管理者の権限は要りません。${OTHER_EDITION_NOTE}$\r$\n$\r$\nTavrin が起動しているときは、セットアップが Tavrin を終了させます(壁紙のリストと設定は保存され、インストール後もそのまま使えます)。Tavrin のダイアログが開いていると Tavrin は終了できないので、先に閉じておいてください。$\r$\n$\r$\n「次へ」をクリックして続けてください。"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavrin.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Tavrin を起動する"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; Exit codes of a silent run that changed nothing (0 = done).
!define EXIT_TAVRIN_RUNS 3
!define EXIT_FOREIGN_FOLDER 4
; How long a running Tavrin gets to end before the user is asked.
!define TAVRIN_END_MS 12000

Var ForeignFolderAccepted   ; the folder the user agreed to install into despite other files

; Functions wanted by both the installer and the uninstaller (NSIS needs an
; "un." copy of each for the uninstaller).
!macro SHARED_FUNCTIONS UN

; Sets $R0 to 1 when $INSTDIR\tavrin.exe is free: absent, or openable for
; writing with no sharing.  A running program's image refuses that, so this
; also catches a Tavrin that has no window (yet, or any more).
Function ${UN}TavrinExeIsFree
  StrCpy $R0 1
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\tavrin.exe", i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .R1 ?e'
  Pop $R2
  ${If} $R1 = -1
    ${If} $R2 = 32   ; ERROR_SHARING_VIOLATION
      StrCpy $R0 0
    ${EndIf}
  ${Else}
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
FunctionEnd

; Asks a running Tavrin to end the way its own 終了 command does (it saves the
; list and the settings on the way out) and waits until its process is gone
; and tavrin.exe is free: a window that has gone says only that the process
; is on its way out.  A Tavrin with a dialog open ends only once the dialog
; is closed.  Sets $R0 to 1 when no Tavrin runs any more, 0 when one still
; runs after TAVRIN_END_MS.
Function ${UN}EndRunningTavrin
  System::Call 'kernel32::GetTickCount() i .R5'
  StrCpy $R6 0   ; the window already asked
  ${Do}
    FindWindow $R3 "${TRAY_CLASS}"
    System::Call 'kernel32::GetTickCount() i .R7'
    IntOp $R7 $R7 - $R5
    IntOp $R7 ${TAVRIN_END_MS} - $R7   ; milliseconds left
    ${If} $R3 = 0
      Call ${UN}TavrinExeIsFree
      ${If} $R0 = 1
        Return
      ${EndIf}
    ${Else}
      ${If} $R3 <> $R6
        DetailPrint "Tavrin を終了しています。終わるのを待っています..."
        System::Call 'user32::PostMessageW(p R3, i ${WM_CLOSE}, p 0, p 0)'
        StrCpy $R6 $R3
      ${EndIf}
      ; Wait on the process that owns the window (SYNCHRONIZE access).
      System::Call 'user32::GetWindowThreadProcessId(p R3, *i .R4)'
      System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R4) p .R4'
      ${If} $R4 <> 0
      ${AndIf} $R7 > 0
        System::Call 'kernel32::WaitForSingleObject(p R4, i R7)'
        System::Call 'kernel32::CloseHandle(p R4)'
        ${Continue}
      ${EndIf}
      ${If} $R4 <> 0
        System::Call 'kernel32::CloseHandle(p R4)'
      ${EndIf}
    ${EndIf}
    ${If} $R7 <= 0
      StrCpy $R0 0
      Return
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd

; Nothing may be replaced or removed while Tavrin runs: it holds tavrin.exe
; and writes its list and settings back when it ends.  When it does not end,
; the user closes its dialogs and retries, or cancels; a silent run ends with
; EXIT_TAVRIN_RUNS.  Either way nothing has been changed yet.
Function ${UN}WaitUntilTavrinHasEnded
  ${Do}
    Call ${UN}EndRunningTavrin
    ${If} $R0 = 1
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tavrin が終了しません。Tavrin のダイアログやメッセージが開いていたら閉じてから、「再試行」を押してください。$\r$\n$\r$\n「キャンセル」を押すと、何も変更せずに${UN_WHAT}を中止します。" /SD IDCANCEL IDRETRY +3
    SetErrorLevel ${EXIT_TAVRIN_RUNS}
    Abort
  ${Loop}
FunctionEnd

; Sets $R0 to 1 when NAME (a file name in the installation folder, on the
; stack) is one Tavrin makes itself: its list, the list's backups
; (List.tvl.bak, List.tvl.bak2, List.tvl.bak3, …: a decimal number as the
; program writes it, nothing else, after "bak"), the temporary wallpaper, the
; preview store (List.previews, and List.previews.damaged where a damaged one
; was set aside) and the temporary files of each ("….tmp").  Anything else
; is the user's.
Function ${UN}IsTavrinDataName
  Exch $R1
  Push $R2
  StrCpy $R0 0
  StrCpy $R2 $R1 4 -4
  ${If} $R2 == ".tmp"
    StrCpy $R1 $R1 -4
  ${EndIf}
  ${If} $R1 == "List.tvl"
  ${OrIf} $R1 == "List.tvl.bak"
  ${OrIf} $R1 == "TVTemp.bmp"
  ${OrIf} $R1 == "List.previews"
  ${OrIf} $R1 == "List.previews.damaged"
    StrCpy $R0 1
  ${Else}
    StrCpy $R2 $R1 12
    ${If} $R2 == "List.tvl.bak"
      StrCpy $R1 $R1 "" 12
      StrCpy $R2 $R1 1
      ; Only plain decimal digits survive the way through IntOp unchanged
      ; ("07" is octal, "2x" stops at the x); a sign is turned away first.
      ${If} $R2 != "-"
        IntOp $R2 $R1 + 0
        ${If} $R2 == $R1
          StrCpy $R0 1
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R2
  Pop $R1
FunctionEnd
!macroend

!define UN_WHAT "セットアップ"
!insertmacro SHARED_FUNCTIONS ""
!undef UN_WHAT
!define UN_WHAT "アンインストール"
!insertmacro SHARED_FUNCTIONS "un."
!undef UN_WHAT

; Sets $R0 to 1 when the plugins folder holds nothing but Susie plug-ins of
; either edition (.spi, .sph): an uninstall leaves the user's own there.
Function PluginsFolderIsTavrins
  StrCpy $R0 1
  ClearErrors
  FindFirst $R5 $R6 "$INSTDIR\plugins\*"
  ${Do}
    ${If} ${Errors}
    ${OrIf} $R6 == ""
      ${Break}
    ${EndIf}
    StrCpy $R7 $R6 4 -4
    ${If} $R6 != "."
    ${AndIf} $R6 != ".."
    ${AndIf} $R7 != ".spi"
    ${AndIf} $R7 != ".sph"
      StrCpy $R0 0
      ${Break}
    ${EndIf}
    FindNext $R5 $R6
  ${Loop}
  FindClose $R5
FunctionEnd

; Sets $R0 to 1 when $INSTDIR may take Tavrin without asking: it does not
; exist or is empty, an earlier install is recorded there, a Tavrin
; (installed or unpacked from the zip) is in it, or it holds nothing but
; what Tavrin leaves after an uninstall (its list, backups, TVTemp.bmp, the
; preview store, a plugins folder of Susie plug-ins).  Anything else belongs
; to someone else and would be overwritten by our Readme.txt, LICENSE.txt,
; Tavrin.chm or uninstall.exe, and later removed.
Function InstallFolderIsTavrins
  StrCpy $R0 1
  ReadRegStr $R3 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R3 == $INSTDIR
  ${OrIf} ${FileExists} "$INSTDIR\tavrin.exe"
    Return
  ${EndIf}
  ClearErrors
  FindFirst $R3 $R4 "$INSTDIR\*"
  ${Do}
    ${If} ${Errors}
    ${OrIf} $R4 == ""
      ${Break}
    ${EndIf}
    ${If} $R4 == "plugins"
    ${AndIf} ${FileExists} "$INSTDIR\plugins\*.*"
      Call PluginsFolderIsTavrins
    ${ElseIf} $R4 != "."
    ${AndIf} $R4 != ".."
      Push $R4
      Call IsTavrinDataName
    ${EndIf}
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    FindNext $R3 $R4
  ${Loop}
  FindClose $R3
FunctionEnd

!define FOREIGN_FOLDER_WARNING "「$INSTDIR」には、Tavrin のものではないファイルがあります。$\r$\n$\r$\nここにインストールすると、同じ名前のファイル(Readme.txt、LICENSE.txt、Tavrin.chm、uninstall.exe)は上書きされ、アンインストールのときに削除されます。$\r$\n$\r$\nこのフォルダーにインストールしますか?"

; On the folder page: warn before going on into someone else's folder.
Function DirectoryLeave
  Call InstallFolderIsTavrins
  ${If} $R0 = 0
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "${FOREIGN_FOLDER_WARNING}" /SD IDNO IDYES +2
    Abort   ; stays on the folder page
    StrCpy $ForeignFolderAccepted $INSTDIR
  ${EndIf}
FunctionEnd

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
  ; A silent run skips the folder page: the same check, and no one to ask.
  ${If} $ForeignFolderAccepted != $INSTDIR
    Call InstallFolderIsTavrins
    ${If} $R0 = 0
      MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "${FOREIGN_FOLDER_WARNING}" /SD IDNO IDYES +3
      SetErrorLevel ${EXIT_FOREIGN_FOLDER}
      Abort
    ${EndIf}
  ${EndIf}
  Call WaitUntilTavrinHasEnded

  SetOutPath "$INSTDIR"
  File "${STAGE}\tavrin.exe"
  File "${STAGE}\Tavrin.chm"
  File "${STAGE}\Readme.txt"
  File "${STAGE}\LICENSE.txt"
!ifdef WITH_WIC
  SetOutPath "$INSTDIR\plugins"
  File "${STAGE}\plugins\${WIC_PLUGIN}"
  SetOutPath "$INSTDIR"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tavrin"
  CreateShortcut "$SMPROGRAMS\Tavrin\Tavrin.lnk" "$INSTDIR\tavrin.exe"
  CreateShortcut "$SMPROGRAMS\Tavrin\Tavrin ヘルプ.lnk" "$INSTDIR\Tavrin.chm"
  ; The log-on shortcut is made by its own section when ticked; a reinstall
  ; without the tick takes the old one away.
  Delete "$SMSTARTUP\Tavrin.lnk"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${EDITION_NAME}"
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

; "次の壁紙" on the desktop's own right-click menu (on Windows 11 under
; "その他のオプションを表示"), in the user's own classes: no administrator needed.
!define DESKTOP_VERB_KEY "Software\Classes\DesktopBackground\Shell\TavrinNextWallpaper"
!define DESKTOP_VERB_TEXT "次の壁紙 (Tavrin)"
Section "-DesktopVerb"
  WriteRegStr HKCU "${DESKTOP_VERB_KEY}" "" "${DESKTOP_VERB_TEXT}"
  WriteRegStr HKCU "${DESKTOP_VERB_KEY}" "MUIVerb" "${DESKTOP_VERB_TEXT}"
  WriteRegStr HKCU "${DESKTOP_VERB_KEY}" "Icon" "$INSTDIR\tavrin.exe,0"
  WriteRegStr HKCU "${DESKTOP_VERB_KEY}\command" "" '"$INSTDIR\tavrin.exe" /next'
SectionEnd
Section "-un.DesktopVerb"
  DeleteRegKey HKCU "${DESKTOP_VERB_KEY}"
SectionEnd

Section "un.Tavrin 本体" UnSecMain
  SectionIn RO
  Call un.WaitUntilTavrinHasEnded
  Delete "$INSTDIR\tavrin.exe"
  Delete "$INSTDIR\Tavrin.chm"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  ; Either edition's plug-in: the other edition's setup may have put it there.
  Delete "$INSTDIR\plugins\tvwic.spi"
  Delete "$INSTDIR\plugins\tvwic.sph"
  RMDir "$INSTDIR\plugins"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Tavrin\Tavrin.lnk"
  Delete "$SMPROGRAMS\Tavrin\Tavrin ヘルプ.lnk"
  RMDir "$SMPROGRAMS\Tavrin"
  Delete "$SMSTARTUP\Tavrin.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Section /o "un.リストファイルと設定も削除する" UnSecData
  ; Only the names Tavrin makes: a List.tvl.bak-mine beside them stays.
  Delete "$INSTDIR\List.tvl"
  Delete "$INSTDIR\List.tvl.tmp"
  Delete "$INSTDIR\List.previews"
  Delete "$INSTDIR\List.previews.tmp"
  Delete "$INSTDIR\List.previews.damaged"
  Delete "$INSTDIR\TVTemp.bmp"
  Delete "$INSTDIR\TVTemp.bmp.tmp"
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\List.tvl.bak*"
  ${Do}
    ${If} ${Errors}
    ${OrIf} $1 == ""
      ${Break}
    ${EndIf}
    Push $1
    Call un.IsTavrinDataName
    ${If} $R0 = 1
      Delete "$INSTDIR\$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
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
