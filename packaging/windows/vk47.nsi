; The Windows installer of vk47 (scripts/package-windows builds it).
; makensis gets on its command line:
;   VERSION   the program's version, e.g. 0.1.0
;   STAGE     the folder `cmake --install` filled (vk47.exe, Img\, Help\, ...)
;   FILES     an include file with the File and Delete lines for STAGE, so the
;             uninstaller removes exactly what was installed, nothing else
;   OUTFILE   the installer to write
;   ICON      the application icon (.ico) for the installer and uninstaller
;   SIZE_KB   the installed size, for Apps & features
;
; Installs into Program Files\vk47 for all users, adds the Start-menu entry
; and the entry in Apps & features. /S installs or uninstalls without a
; question. The pupils' programs and set.ini live in their documents folders
; and are never touched.

Unicode true
; The 64-bit stub: vk47.exe is a 64-bit program, and a 32-bit installer does
; not start on a Windows (or Wine) without 32-bit support.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"

!define PRODUCT "VK-47ロボット制御"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vk47"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\vk47"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "vk47 ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "vk47 developers"
VIAddVersionKey /LANG=1041 "LegalCopyright" "vk47 developers"

!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "vk47"
  SetOutPath "$INSTDIR"
  !insertmacro VK47_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vk47.exe" "" "$INSTDIR\vk47.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vk47.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "vk47 developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro VK47_UNINSTALL_FILES
  Delete "$INSTDIR\uninstall.exe"
  ; Only empty folders go: anything a teacher put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
