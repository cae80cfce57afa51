; Installer of the transcription kit: the player (tolv.exe) and the session
; relay (vcbridge.exe). makensis -DBIN=<folder of the built programs>
;   -DOUTFILE=<setup.exe> [-DFIRSTCONFIG=<folder with tolv3.cfg and Configuration\>]
;
; Silent use (administrators):  tolv-setup.exe /S [/RELAYONLY] [/D=C:\path]
;   /RELAYONLY installs only vcbridge.exe and vcbridge-check.exe, for session hosts.
; Uninstall silently:           "<install folder>\uninstall.exe" /S

; A 64-bit installer: the programs are 64-bit, and session hosts may lack the
; 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!define PRODUCT "Tolv"
!define MAKER "Quenmark"
!define VERSION "4.3"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${MAKER} ${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${MAKER}\${PRODUCT}"
InstallDirRegKey HKLM "Software\${MAKER}\${PRODUCT}" "InstallFolder"
BrandingText "${MAKER} ${PRODUCT} ${VERSION}"

VIProductVersion "4.3.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tolv.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT} player" SecPlayer
  SetOutPath "$INSTDIR"
  File "${BIN}\tolv.exe"
!ifdef FIRSTCONFIG
  ; The first configuration is only laid down where none exists yet: an
  ; update keeps the typist's settings.
  SetOverwrite off
  File "${FIRSTCONFIG}\tolv3.cfg"
  SetOutPath "$INSTDIR\Configuration"
  File "${FIRSTCONFIG}\Configuration\DEFAULT"
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; Its time tells the uninstaller whether the typist has changed it since.
  GetFileTime "$INSTDIR\tolv3.cfg" $0 $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "FirstConfigTimeHigh" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "FirstConfigTimeLow" $1
  GetFileTime "$INSTDIR\Configuration\DEFAULT" $0 $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "FirstNamedTimeHigh" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "FirstNamedTimeLow" $1
!endif
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\tolv.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

Section "Session relay (vcbridge)" SecRelay
  SetOutPath "$INSTDIR"
  File "${BIN}\vcbridge.exe"
  File "${BIN}\vcbridge-check.exe"
SectionEnd

Section "-common"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "Software\${MAKER}\${PRODUCT}" "InstallFolder" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

LangString DESC_Player ${LANG_ENGLISH} "The media player for transcription, with its first configuration and a Start-menu shortcut."
LangString DESC_Relay ${LANG_ENGLISH} "The relay for dictation devices in Citrix and Remote Desktop sessions (for session hosts)."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPlayer} $(DESC_Player)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecRelay} $(DESC_Relay)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RELAYONLY" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecPlayer}
  ${EndIf}
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Deletes a first-configuration file only while it still is the installed one.
!macro RemoveIfUnchanged FILE HIGH LOW
  ClearErrors
  ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" "${HIGH}"
  ReadRegDWORD $3 HKLM "${UNINSTALL_KEY}" "${LOW}"
  ${IfNot} ${Errors}
    ClearErrors
    GetFileTime "${FILE}" $0 $1
    ${IfNot} ${Errors}
      ${If} $0 == $2
      ${AndIf} $1 == $3
        Delete "${FILE}"
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  Delete "$INSTDIR\tolv.exe"
  Delete "$INSTDIR\vcbridge.exe"
  Delete "$INSTDIR\vcbridge-check.exe"
  !insertmacro RemoveIfUnchanged "$INSTDIR\tolv3.cfg" "FirstConfigTimeHigh" "FirstConfigTimeLow"
  !insertmacro RemoveIfUnchanged "$INSTDIR\Configuration\DEFAULT" "FirstNamedTimeHigh" "FirstNamedTimeLow"
  ; The typist's files (changed configurations, playlist, bookmarks, log,
  ; converted copies) stay; the folders go only when empty.
  RMDir "$INSTDIR\Configuration"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\${MAKER}\${PRODUCT}"
  DeleteRegKey /ifempty HKLM "Software\${MAKER}"
SectionEnd
