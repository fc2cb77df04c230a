; The setup program of Dravolt for 64-bit Windows (scripts/build-windows):
; installs the folder that the Windows build assembles, for the current user
; and without administrator rights, with a Start-menu shortcut and an entry
; in Settings > Apps; its uninstaller removes exactly the files it installed.
;
;   makensis -DSETUP_DIR=<folder> -DFILES=<file> -DOUTFILE=<setup.exe> setup.nsi
;
; SETUP_DIR holds version.nsh (written by CMake); FILES is written by
; scripts/windows.sh from the folder to install: the macros
; DRAVOLT_INSTALL_FILES and DRAVOLT_REMOVE_FILES and the define SIZE_KB.

Unicode true
; Without it makensis builds a 32-bit program.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "${SETUP_DIR}/version.nsh"
!include "${FILES}"
!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravolt"

Name "Dravolt"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Dravolt"
; Installing again goes where the earlier install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Dravolt ${VERSION_TEXT}"

!define MUI_ICON "${__FILEDIR__}/../../resources/dravolt.ico"
!define MUI_UNICON "${__FILEDIR__}/../../resources/dravolt.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_NUMBER}"
VIFileVersion "${VERSION_NUMBER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Dravolt"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Dravolt Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright 2026 The Dravolt developers"

Section
    ; An earlier install is removed first by its own uninstaller, which knows
    ; its files: none of them stays behind when this version no longer has it.
    ; Run in place (_?=), the uninstaller ends before the new files arrive.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Uninstall.exe"
        ExecWait '"$0\Uninstall.exe" /S _?=$0'
        Delete "$0\Uninstall.exe"
        RMDir "$0"
    ${EndIf}

    !insertmacro DRAVOLT_INSTALL_FILES
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; "Start in" the user's Documents: the file dialogs open and the tool runs
    ; in the current folder, and the install folder is no place for the user's files.
    SetOutPath "$DOCUMENTS"
    CreateShortcut "$SMPROGRAMS\Dravolt.lnk" "$INSTDIR\Dravolt.exe" "" "$INSTDIR\Dravolt.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Dravolt"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Dravolt developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dravolt.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the setup put there goes: a folder the user chose (even C:\) keeps
; everything else, and is removed only when nothing else is in it. The
; user's saved tool location (HKCU\Software\dravolt) stays, as the user's data.
Section "Uninstall"
    !insertmacro DRAVOLT_REMOVE_FILES
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Dravolt.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
