; SPDX-License-Identifier: GPL-3.0-or-later
; SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
; TovanaSetup-<version>.exe: the station's Windows programs for every user of the machine.
; Installs Tethra.exe (registered with /RegServer) and the help page, and Tovana.exe when
; given; adds Start-menu shortcuts and an uninstaller that unregisters and removes all of it.
; /S installs and uninstalls silently. Built by packaging/windows/CMakeLists.txt:
;   makensis -DVERSION=1.1.0 -DARCH=x86|amd64 -DTETHRA=Tethra.exe -DHELP=index.html
;            -DOUTFILE=TovanaSetup-1.1.0.exe [-DTOVANA=Tovana.exe] tovana.nsi

Unicode true
!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma

!include "LogicLib.nsh"

!define PRODUCT "Tovana"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tovana"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin ; Tethra.exe registers its class for the whole machine
!if "${ARCH}" == "amd64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "2026 The Tovana and Tethra developers, GPL-3.0-or-later"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext all
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
FunctionEnd

Section "Tovana"
  SetOutPath "$INSTDIR"
  File "/oname=Tethra.exe" "${TETHRA}"
!ifdef TOVANA
  File "/oname=Tovana.exe" "${TOVANA}"
!endif
  SetOutPath "$INSTDIR\help"
  File "/oname=index.html" "${HELP}"

  ; Registration records the path of Tethra.exe: run it from where it now stays.
  ExecWait '"$INSTDIR\Tethra.exe" /RegServer' $0
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "Tethra.exe could not register itself (exit code $0). Run the setup as an administrator." /SD IDOK
    Call rollBack
    SetErrorLevel 2
    Quit
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
!ifdef TOVANA
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tovana.lnk" "$INSTDIR\Tovana.exe"
!endif
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tovana Help.lnk" "$INSTDIR\help\index.html"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall Tovana.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Tovana and Tethra developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tethra.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; What a failed installation leaves: nothing.
Function rollBack
  Delete "$INSTDIR\Tethra.exe"
  Delete "$INSTDIR\Tovana.exe"
  Delete "$INSTDIR\help\index.html"
  RMDir "$INSTDIR\help"
  RMDir "$INSTDIR"
FunctionEnd

Section "Uninstall"
  ExecWait '"$INSTDIR\Tethra.exe" /UnregServer'
  ; A program still running keeps its file until the next start of Windows.
  Delete /REBOOTOK "$INSTDIR\Tovana.exe"
  Delete /REBOOTOK "$INSTDIR\Tethra.exe"
  Delete "$INSTDIR\help\index.html"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\help"
  RMDir /REBOOTOK "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\Tovana.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Tovana Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall Tovana.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
