; The Windows installer of Tabellone, built on Linux by makensis (windows/CMakeLists.txt):
;   makensis -DVERSION=1.0 -DSTAGE=<folder with the .exe files and datafiles> -DOUTFILE=<setup.exe> tabellone.nsi
; The game keeps state.dat and players.txt beside its datafiles, so it goes
; into a folder its user can write (never Program Files), installed per user
; without administrator rights. Silent use: /S, with /AUTOSTART to start the
; game with Windows; the uninstaller keeps the records unless it is given
; /REMOVERECORDS or its box is ticked.
; A 64-bit installer, as the game is: it runs where the game can, and under
; a 64-bit-only Wine.
Target amd64-unicode
!include "Sections.nsh"
!include "FileFunc.nsh"

Name "Tabellone"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Tabellone"
InstallDirRegKey HKCU "Software\Tabellone" "InstallDir"
RequestExecutionLevel user
SetCompressor /SOLID lzma
Icon "${STAGE}\tabellone.ico"
UninstallIcon "${STAGE}\tabellone.ico"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Tabellone"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tabellone installer"
VIAddVersionKey "LegalCopyright" "Tabellone"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tabellone"

Page components
Page directory
Page instfiles
UninstPage components
UninstPage instfiles

Section "Tabellone" SecGame
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\tabellone.exe"
  File "${STAGE}\graphics.dat"
  File "${STAGE}\battle.dat"
  File "${STAGE}\music.dat"
  !if /FileExists "${STAGE}\tabellone-operatore.exe"
    File "${STAGE}\tabellone-operatore.exe"
  !endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut's working folder is $OUTDIR, the folder of the records.
  CreateDirectory "$SMPROGRAMS\Tabellone"
  CreateShortCut "$SMPROGRAMS\Tabellone\Tabellone.lnk" "$INSTDIR\tabellone.exe"
  CreateShortCut "$SMPROGRAMS\Tabellone\Uninstall Tabellone.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Tabellone" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tabellone"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
SectionEnd

; For a kiosk: a shortcut in the user's Startup folder, working in $INSTDIR
; (a Run key could not set the working folder).
Section /o "Start with Windows" SecAutostart
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
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Tabellone\Tabellone.lnk"
  Delete "$SMPROGRAMS\Tabellone\Uninstall Tabellone.lnk"
  RMDir "$SMPROGRAMS\Tabellone"
  Delete "$SMSTARTUP\Tabellone.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Tabellone"
SectionEnd

; The draw's records stay unless asked for: they are the only proof of who won what.
Section /o "un.Also delete the records (state.dat, players.txt, journal, errors file)" UnSecRecords
  Delete "$INSTDIR\state.dat"
  Delete "$INSTDIR\players.txt"
  Delete "$INSTDIR\tabellone-registro.jsonl"
  Delete "$INSTDIR\tabellone-errori.txt"
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
