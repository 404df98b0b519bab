; The installer, built by makensis with the build's values:
;   -DVERSION=1.0.0.0 -DEXE=<parlowen.exe> -DICON=<parlowen.ico> -DOUTFILE=<parlowen-setup.exe>
; It puts parlowen.exe and an empty TTS folder (for the English voice data, which the
; user adds) into the program folder, a shortcut into the Start menu, an entry into
; "Add or Remove Programs", and an uninstaller that takes all of that away again with
; the start-up shortcut, leaving the user's settings (set.ini) and saved logs alone.
Unicode true
; The program users install is the 32-bit one, which runs on every Windows from XP on:
; so is its installer, and on 64-bit Windows both use the 32-bit Program Files folder and
; registry view, as the system gives them.
Target x86-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Parlowen2009"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Parlowen"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\Parlowen"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Parlowen"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Parlowen"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=parlowen.exe" "${EXE}"
  CreateDirectory "$INSTDIR\TTS"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\parlowen.exe" "" "$INSTDIR\parlowen.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\parlowen.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; A voice token of the program, left behind when it was killed on Windows 5.x instead of
; ending: it goes only when its voice data lie in this installation's TTS folder, as the
; program itself decides. Another installation's token of the same voice stays.
!macro RemoveOwnVoiceToken KEY
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Speech\Voices\Tokens\${KEY}" "VoiceData"
  StrLen $1 "$INSTDIR\TTS\"
  StrCpy $2 $0 $1
  StrCmp $2 "$INSTDIR\TTS\" 0 +2
    DeleteRegKey HKLM "SOFTWARE\Microsoft\Speech\Voices\Tokens\${KEY}"
!macroend

Section "Uninstall"
  !insertmacro RemoveOwnVoiceToken "MSMary"
  !insertmacro RemoveOwnVoiceToken "MSMike"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The program's start-up shortcut lives in the Startup folder of the user who ticked it.
  SetShellVarContext current
  Delete "$SMSTARTUP\parlowen.lnk"
  ; Under Wine the option also wrote a desktop autostart entry, and noted where it is.
  ReadRegStr $0 HKCU "Software\Parlowen\Autostart" "$INSTDIR\parlowen.exe"
  StrCmp $0 "" +2
    Delete $0
  DeleteRegValue HKCU "Software\Parlowen\Autostart" "$INSTDIR\parlowen.exe"
  DeleteRegKey /ifempty HKCU "Software\Parlowen\Autostart"
  DeleteRegKey /ifempty HKCU "Software\Parlowen"

  Delete "$INSTDIR\parlowen.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Voice data the user put into TTS is not ours: the folder goes only when empty.
  RMDir "$INSTDIR\TTS"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
