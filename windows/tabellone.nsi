; The Windows installer of Tabellone, built on Linux by makensis (windows/CMakeLists.txt):
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0 -DSTAGE=<folder with the .exe files and datafiles> -DOUTFILE=<setup.exe> tabellone.nsi
; The game keeps state.dat and players.txt beside its datafiles, so it goes
; into a folder its user can write (never Program Files), installed per user
; without administrator rights. Silent use: /S, with /AUTOSTART to start the
; game with Windows; the uninstaller keeps the records unless it is given
; /REMOVERECORDS or its box is ticked.
; A 64-bit installer, as the game is: it runs where the game can, and under
; a 64-bit-only Wine.
; Every text a shop sees is Italian: the Modern UI's own Italian strings and
; ours below. The script is UTF-8 (makensis -INPUTCHARSET UTF8).
Target amd64-unicode
!include "MUI2.nsh"
!include "Sections.nsh"
!include "FileFunc.nsh"

Name "Tabellone"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Tabellone"
InstallDirRegKey HKCU "Software\Tabellone" "InstallDir"
RequestExecutionLevel user
SetCompressor /SOLID lzma
; Our name where NSIS would print its own, in English, under every page.
BrandingText "Tabellone ${VERSION}"
!define MUI_ICON "${STAGE}\tabellone.ico"
!define MUI_UNICON "${STAGE}\tabellone.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_NOAUTOCLOSE

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tabellone"
; The Start-menu folder, and the operator's tasks in it (each working in the records folder).
!define MENU "$SMPROGRAMS\Tabellone"
!define ENTRY_REPORT "Relazione di chiusura"
!define ENTRY_EXPORT "Giocate per Excel"
!define ENTRY_VERIFY "Verifica dei registri"
!define ENTRY_FOLDER "Cartella dei registri"
!define ENTRY_GUIDE "Guida dell'operatore"
!define ENTRY_UNINSTALL "Disinstalla Tabellone"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Tabellone"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione del Tabellone"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Tabellone"

Section "Tabellone" SecGame
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\tabellone.exe"
  File "${STAGE}\graphics.dat"
  File "${STAGE}\battle.dat"
  File "${STAGE}\music.dat"
  File "${STAGE}\guida-operatore.html"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; Every shortcut's working folder is $OUTDIR, the folder of the records.
  CreateDirectory "${MENU}"
  CreateShortCut "${MENU}\Tabellone.lnk" "$INSTDIR\tabellone.exe"
  !if /FileExists "${STAGE}\tabellone-operatore.exe"
    File "${STAGE}\tabellone-operatore.exe"
    ; The operator's console stays minimised: what it writes opens in its
    ; own program, and a failure shows in a window (tabellone-operatore --apri).
    CreateShortCut "${MENU}\${ENTRY_REPORT}.lnk" "$INSTDIR\tabellone-operatore.exe" "relazione --apri" \
      "$INSTDIR\tabellone.exe" 0 SW_SHOWMINIMIZED "" "Scrive la relazione di chiusura e la apre nel browser"
    CreateShortCut "${MENU}\${ENTRY_EXPORT}.lnk" "$INSTDIR\tabellone-operatore.exe" "esporta --apri" \
      "$INSTDIR\tabellone.exe" 0 SW_SHOWMINIMIZED "" "Scrive tutte le giocate in un file CSV e lo apre con Excel"
    CreateShortCut "${MENU}\${ENTRY_VERIFY}.lnk" "$INSTDIR\tabellone-operatore.exe" "verifica --apri" \
      "$INSTDIR\tabellone.exe" 0 SW_SHOWMINIMIZED "" "Controlla i registri e mostra l'esito"
  !endif
  CreateShortCut "${MENU}\${ENTRY_FOLDER}.lnk" "$INSTDIR" "" "" 0 SW_SHOWNORMAL "" \
    "La cartella con i registri e i file scritti"
  CreateShortCut "${MENU}\${ENTRY_GUIDE}.lnk" "$INSTDIR\guida-operatore.html" "" "" 0 SW_SHOWNORMAL "" \
    "La guida dell'operatore"
  CreateShortCut "${MENU}\${ENTRY_UNINSTALL}.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Tabellone" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tabellone"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
SectionEnd

; For a kiosk: a shortcut in the user's Startup folder, working in $INSTDIR
; (a Run key could not set the working folder).
Section /o "Avvia con Windows" SecAutostart
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\Tabellone.lnk" "$INSTDIR\tabellone.exe"
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  IfErrors done
    !insertmacro SelectSection ${SecAutostart}
  done:
FunctionEnd

Section "un.Tabellone" UnSecGame
  SectionIn RO
  Delete "$INSTDIR\tabellone.exe"
  Delete "$INSTDIR\tabellone-operatore.exe"
  Delete "$INSTDIR\graphics.dat"
  Delete "$INSTDIR\battle.dat"
  Delete "$INSTDIR\music.dat"
  Delete "$INSTDIR\tabellone.lock"
  Delete "$INSTDIR\guida-operatore.html"
  Delete "$INSTDIR\uninstall.exe"
  Delete "${MENU}\Tabellone.lnk"
  Delete "${MENU}\${ENTRY_REPORT}.lnk"
  Delete "${MENU}\${ENTRY_EXPORT}.lnk"
  Delete "${MENU}\${ENTRY_VERIFY}.lnk"
  Delete "${MENU}\${ENTRY_FOLDER}.lnk"
  Delete "${MENU}\${ENTRY_GUIDE}.lnk"
  Delete "${MENU}\${ENTRY_UNINSTALL}.lnk"
  RMDir "${MENU}"
  Delete "$SMSTARTUP\Tabellone.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Tabellone"
SectionEnd

; The draw's records stay unless asked for: they are the only proof of who won what.
; Asked for, the files the operator's tasks wrote from them go too: they hold
; the players' data as well.
Section /o "un.Elimina anche i registri" UnSecRecords
  Delete "$INSTDIR\state.dat"
  Delete "$INSTDIR\players.txt"
  Delete "$INSTDIR\tabellone-registro.jsonl"
  Delete "$INSTDIR\tabellone-errori.txt"
  Delete "$INSTDIR\relazione-chiusura-*.html"
  Delete "$INSTDIR\giocate-*.csv"
  Delete "$INSTDIR\verifica-registri-*.txt"
SectionEnd

Section "-un.Folder"
  ; Removed only when empty, so kept records keep their folder.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVERECORDS" $1
  IfErrors done
    !insertmacro SelectSection ${UnSecRecords}
  done:
FunctionEnd
