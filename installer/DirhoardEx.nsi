; Windows installer: puts DirhoardEx.dll and gen_dirhoardex.dll into the player's Plugins
; folder, replacing an older copy, registers the COM server, and leaves an uninstaller in
; Add/Remove Programs.
; Built by CMake and scripts/release:
;   makensis -DBIN_DIR=<folder of both DLLs> -DOUT_FILE=<setup.exe> -DVERSION=<1.00> DirhoardEx.nsi
; where VERSION is the project's (CMakeLists.txt). The files keep their times: a release gives
; them the commit's, and -DTIME_STAMP=<the commit's time> puts it into the setup's PE header too,
; so that two releases of one commit are the same bytes.
; -DTARGET_ARCH=amd64-unicode makes a 64-bit installer of the 64-bit DLLs: only the x86_64
; build makes one, to test the round trip where 32-bit programs cannot run. Never shipped.
!ifdef TARGET_ARCH
    Target ${TARGET_ARCH}
    !if "${TARGET_ARCH}" == "amd64-unicode"
        !define AMD64
    !endif
!else
    Unicode true
!endif
!ifdef TIME_STAMP
    !packhdr "${OUT_FILE}.header" '"${__FILEDIR__}/set-pe-time" "${OUT_FILE}.header" ${TIME_STAMP}'
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define PRODUCT "DirhoardEx"
!ifndef VERSION
    !error "VERSION is not defined: makensis -DVERSION=<the project's version>"
!endif
!define PLAYER_CLASS "Winamp v1.x"
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DirhoardEx"
!define UNINSTALLER "$INSTDIR\Plugins\Uninstall DirhoardEx.exe"
; The version resource of the DirhoardEx.dll this setup carries.
!getdllversion "${BIN_DIR}\DirhoardEx.dll" SHIPPED_
!define SHIPPED_VERSION "${SHIPPED_1}.${SHIPPED_2}.${SHIPPED_3}.${SHIPPED_4}"

; A 64-bit player and its registration live in the 64-bit views. The view set in .onInit and
; un.onInit holds for every section after it.
!macro NATIVE_REG_VIEW
    !ifdef AMD64
        SetRegView 64
    !endif
!macroend
!ifdef AMD64
    !define PLAYER_PROGRAM_FILES "$PROGRAMFILES64"
!else
    !define PLAYER_PROGRAM_FILES "$PROGRAMFILES"
!endif

Name "Dirhoard+ (${PRODUCT} ${VERSION})"
OutFile "${OUT_FILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${SHIPPED_VERSION}"
VIFileVersion "${SHIPPED_VERSION}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Dirhoard+ (${PRODUCT} ${VERSION}) setup"
VIAddVersionKey CompanyName "Vaskell"
VIAddVersionKey LegalCopyright "Vaskell"

!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs Dirhoard+ into the Plugins folder of the player installed in the folder below."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The player's folder: where the player says it is, else the usual place. /D= overrides.
Function .onInit
    !insertmacro NATIVE_REG_VIEW
    ${If} $INSTDIR == ""
        ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp" "UninstallString"
        ${If} $0 != ""
            Push $0
            Call FolderOfCommand
            Pop $INSTDIR
        ${EndIf}
    ${EndIf}
    ${If} $INSTDIR == ""
        ReadRegStr $INSTDIR HKCU "Software\Winamp" ""
    ${EndIf}
    ${If} $INSTDIR == ""
        StrCpy $INSTDIR "${PLAYER_PROGRAM_FILES}\Winamp"
    ${EndIf}
FunctionEnd

; "C:\Program Files\Winamp\UninstWA.exe" /x  ->  C:\Program Files\Winamp
Function FolderOfCommand
    Exch $0
    Push $1
    Push $2
    StrCpy $1 $0 1
    ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        StrCpy $2 0
        ${Do}
            StrCpy $1 $0 1 $2
            ${IfThen} $1 == '"' ${|} ${ExitDo} ${|}
            ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
            IntOp $2 $2 + 1
        ${Loop}
        StrCpy $0 $0 $2
    ${EndIf}
    ; Drop the file name: everything after the last backslash.
    StrLen $2 $0
    ${Do}
        IntOp $2 $2 - 1
        ${IfThen} $2 < 0 ${|} ${ExitDo} ${|}
        StrCpy $1 $0 1 $2
        ${IfThen} $1 == "\" ${|} ${ExitDo} ${|}
    ${Loop}
    ${If} $2 > 0
        StrCpy $0 $0 $2
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

!macro CLOSE_PLAYER_FIRST
    ${Do}
        FindWindow $0 "${PLAYER_CLASS}"
        ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The player is running. Close it, then press Retry." /SD IDCANCEL IDRETRY +2
        Abort "The player is still running."
    ${Loop}
!macroend

; A copy already in Plugins: an older one (by its version resource; none at all is older) is
; replaced, a newer one only if the user says so.
Function KeepNoNewerCopy
    StrCpy $0 "$INSTDIR\Plugins\DirhoardEx.dll"
    ${IfNot} ${FileExists} $0
        Return
    ${EndIf}
    ClearErrors
    GetDLLVersion $0 $R0 $R1
    ${If} ${Errors}
        StrCpy $R6 "0.0.0.0"
    ${Else}
        IntOp $R2 $R0 >> 16
        IntOp $R3 $R0 & 0xFFFF
        IntOp $R4 $R1 >> 16
        IntOp $R5 $R1 & 0xFFFF
        StrCpy $R6 "$R2.$R3.$R4.$R5"
    ${EndIf}
    ${VersionCompare} $R6 "${SHIPPED_VERSION}" $R7
    ${If} $R7 == 1
        MessageBox MB_YESNO|MB_ICONQUESTION "$0 is version $R6, newer than this setup's ${SHIPPED_VERSION}.$\n$\nReplace it with the older version?" /SD IDNO IDYES +2
        Abort "Kept the newer DirhoardEx.dll $R6."
    ${EndIf}
FunctionEnd

; The file on the stack must not be in use, by the player or any other program: a loaded DLL
; cannot be overwritten, and one opened for writing is not in use.
Function WaitUntilFree
    Exch $0
    ${Do}
        ${IfNot} ${FileExists} $0
            ${ExitDo}
        ${EndIf}
        ClearErrors
        FileOpen $1 $0 a
        ${IfNot} ${Errors}
            FileClose $1
            ${ExitDo}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0 is in use. Close the player, and any other program that uses Dirhoard+, then press Retry." /SD IDCANCEL IDRETRY +2
        Abort "$0 is in use."
    ${Loop}
    Pop $0
FunctionEnd

Section "Dirhoard+"
    !insertmacro CLOSE_PLAYER_FIRST
    ${IfNot} ${FileExists} "$INSTDIR\Winamp.exe"
        MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$INSTDIR has no Winamp.exe: this does not look like the player's folder.$\n$\nInstall there anyway?" /SD IDOK IDOK +2
        Abort "No player in $INSTDIR."
    ${EndIf}

    Call KeepNoNewerCopy
    Push "$INSTDIR\Plugins\DirhoardEx.dll"
    Call WaitUntilFree
    Push "$INSTDIR\Plugins\gen_dirhoardex.dll"
    Call WaitUntilFree

    SetOutPath "$INSTDIR\Plugins"
    File "${BIN_DIR}\DirhoardEx.dll"
    File "${BIN_DIR}\gen_dirhoardex.dll"
    ClearErrors
    RegDLL "$INSTDIR\Plugins\DirhoardEx.dll"
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "Registering DirhoardEx.dll failed. Run setup as administrator." /SD IDOK
        Abort "Registering DirhoardEx.dll failed."
    ${EndIf}

    WriteUninstaller "${UNINSTALLER}"
    WriteRegStr HKLM "${ARP_KEY}" "DisplayName" "Dirhoard+ (DirhoardEx) plugin"
    WriteRegStr HKLM "${ARP_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${ARP_KEY}" "InstallLocation" "$INSTDIR\Plugins"
    WriteRegStr HKLM "${ARP_KEY}" "UninstallString" '"${UNINSTALLER}"'
    WriteRegStr HKLM "${ARP_KEY}" "QuietUninstallString" '"${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${ARP_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${ARP_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller lives in Plugins: the player's folder is its parent.
Function un.onInit
    !insertmacro NATIVE_REG_VIEW
    ${GetParent} "$INSTDIR" $INSTDIR
FunctionEnd

Section "Uninstall"
    !insertmacro CLOSE_PLAYER_FIRST
    UnRegDLL "$INSTDIR\Plugins\DirhoardEx.dll"
    Delete "$INSTDIR\Plugins\DirhoardEx.dll"
    Delete "$INSTDIR\Plugins\gen_dirhoardex.dll"
    ; What an uninstall from the player renamed, no longer loaded once the player is closed.
    Delete "$INSTDIR\Plugins\DirhoardEx.dll.removed"
    Delete "${UNINSTALLER}"
    DeleteRegKey HKLM "${ARP_KEY}"
SectionEnd
