; The per-user installer. scripts/package defines VERSION, STAGE (a folder holding x64\, x86\,
; README.txt and LICENSE.txt), OUTFILE and HOMEPAGE (may be empty). The shipped installer is a
; 32-bit program, which runs on both kinds of Windows; the release test also builds it with
; -DTARGET=amd64-unicode, to run its checks where no 32-bit code runs.
!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
; No file times in the installer: two builds of one commit give the same bytes.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true

!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include WordFunc.nsh
!include x64.nsh
${UnStrStr}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Duskline"
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\Orvanta Vesperon"
!define PUBLISHER "the Duskline developers"

Name "Duskline ${VERSION}"
OutFile "${OUTFILE}"
; Per user, so that Vesperon.ini beside the program stays writable without administrator rights.
InstallDir "$LOCALAPPDATA\Programs\Duskline"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Duskline"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Duskline ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT licence"

; English, and German where Windows speaks German: the pages come from NSIS' language files,
; our own texts from the LangStrings below.
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"

LangString BadSchedule ${LANG_ENGLISH} "/SCHEDULE= needs a time HH:MM, one blank and a type \
    (0 log off, 1 shut down, 2 power off, 3 restart, 4 sleep, 5 hibernate, 6 lock), \
    for example /SCHEDULE=22:30 1.$\r$\nIt was given: $Schedule$\r$\nNothing was installed."
LangString BadSchedule ${LANG_GERMAN} "/SCHEDULE= braucht eine Uhrzeit HH:MM, ein Leerzeichen \
    und eine Aktion (0 Abmelden, 1 Herunterfahren, 2 Ausschalten, 3 Neu starten, \
    4 Energie sparen, 5 Ruhezustand, 6 Sperren), zum Beispiel /SCHEDULE=22:30 1.$\r$\n\
    Angegeben war: $Schedule$\r$\nEs wurde nichts installiert."
LangString BadDays ${LANG_ENGLISH} "/DAYS= needs one or more of Mon Tue Wed Thu Fri Sat Sun, \
    written so, in this order, each at most once, one blank between two, for example \
    /DAYS=Mon Tue Wed Thu Fri.$\r$\nIt was given: $Days$\r$\nNothing was installed."
LangString BadDays ${LANG_GERMAN} "/DAYS= braucht einen oder mehrere der Tage \
    Mon Tue Wed Thu Fri Sat Sun, genau so geschrieben, in dieser Reihenfolge, jeden höchstens \
    einmal, mit einem Leerzeichen zwischen zweien, zum Beispiel /DAYS=Mon Tue Wed Thu Fri.$\r$\n\
    Angegeben war: $Days$\r$\nEs wurde nichts installiert."
LangString EndIt ${LANG_ENGLISH} "Duskline is running from $INSTDIR. It has to end before it \
    can be replaced. End it now?"
LangString EndIt ${LANG_GERMAN} "Duskline läuft aus $INSTDIR. Es muss beendet werden, bevor \
    es ersetzt werden kann. Jetzt beenden?"
LangString StillRunning ${LANG_ENGLISH} "Duskline is still running; nothing was changed."
LangString StillRunning ${LANG_GERMAN} "Duskline läuft noch; es wurde nichts geändert."
LangString ServiceFirst ${LANG_ENGLISH} "The service $\"Orvanta Vesperon$\" is registered from \
    $INSTDIR. Remove the service first: open a command prompt as administrator and run$\r$\n\
    $\"$INSTDIR\duskline.exe$\" -uninstall$\r$\nThen remove Duskline again."
LangString ServiceFirst ${LANG_GERMAN} "Der Dienst $\"Orvanta Vesperon$\" ist aus $INSTDIR \
    registriert. Entfernen Sie zuerst den Dienst: Öffnen Sie eine Eingabeaufforderung als \
    Administrator und führen Sie aus:$\r$\n$\"$INSTDIR\duskline.exe$\" -uninstall$\r$\n\
    Entfernen Sie Duskline danach noch einmal."

LicenseData "${STAGE}\LICENSE.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Schedule
Var Days

; $0 is the schedule; sets $1 to 1 when it reads HH:MM, one blank and a type 0 to 6.
Function CheckSchedule
  StrCpy $1 0
  StrLen $2 $0
  StrCpy $3 $0 1 2
  StrCpy $4 $0 1 5
  ${If} $2 != 7
  ${OrIf} $3 != ":"
  ${OrIf} $4 != " "
    Return
  ${EndIf}
  ; The digits at 0, 1, 3, 4 and 6 into $5, each checked alone ("1" before it keeps "08" from
  ; being read as octal and shows any sign or blank).
  StrCpy $5 ""
  ${ForEach} $2 0 6 + 1
    ${If} $2 != 2
    ${AndIf} $2 != 5
      StrCpy $3 $0 1 $2
      IntOp $4 "1$3" + 0
      ${If} "$4" != "1$3"
      ${OrIf} $4 < 10
        Return
      ${EndIf}
      StrCpy $5 "$5$3"
    ${EndIf}
  ${Next}
  StrCpy $2 $5 2 0  ; hour, minute and type as two-digit numbers ("1" before them again)
  StrCpy $3 $5 2 2
  StrCpy $4 $5 1 4
  IntOp $2 "1$2" - 100
  IntOp $3 "1$3" - 100
  ${If} $2 <= 23
  ${AndIf} $3 <= 59
  ${AndIf} $4 <= 6
    StrCpy $1 1
  ${EndIf}
FunctionEnd

; $0 is the days; sets $1 to 1 when they are names of Mon Tue Wed Thu Fri Sat Sun, written as
; here, in this order, each at most once, one blank between two.
Function CheckDays
  StrCpy $1 0
  StrCpy $2 0  ; the first day of the week the next name may be
  StrCpy $3 $0  ; what is left to read
  ${Do}
    StrCpy $4 $3 3  ; the next name
    StrCpy $5 $3 1 3  ; what follows it: a blank, or nothing at the end
    StrCpy $3 $3 "" 4
    ${Do}
      ${If} $2 >= 7
        Return
      ${EndIf}
      IntOp $6 $2 * 3
      StrCpy $6 "MonTueWedThuFriSatSun" 3 $6
      IntOp $2 $2 + 1
    ${LoopUntil} $6 S== $4
    ${If} $5 == ""
      StrCpy $1 1
      Return
    ${ElseIf} $5 != " "
      Return
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInit
  ${GetParameters} $R0
  ; A value with a blank comes quoted as a whole ("/SCHEDULE=22:30 1") or not at all.
  ${WordReplace} $R0 '"' "" "+" $R0
  ClearErrors
  ${GetOptions} $R0 "/SCHEDULE=" $Schedule
  ${IfNot} ${Errors}
    StrCpy $0 $Schedule
    Call CheckSchedule
    ${If} $1 != 1
      MessageBox MB_OK|MB_ICONSTOP "$(BadSchedule)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DAYS=" $Days
  ${IfNot} ${Errors}
    StrCpy $0 $Days
    Call CheckDays
    ${If} $1 != 1
      MessageBox MB_OK|MB_ICONSTOP "$(BadDays)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Ends a Duskline that runs from $INSTDIR, so that its program file can be replaced; asks first
; unless silent. Other copies of Duskline, elsewhere, are left alone.
Function EndRunningProgram
  StrCpy $0 0
  StrCpy $5 0  ; asked already
  ${Do}
    FindWindow $0 "DusklineForm" "" 0 $0
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i 0x101001, i 0, i r1) p .r2"  ; SYNCHRONIZE, query, end
    ${If} $2 P<> 0
      System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})"
      ${If} $3 == "$INSTDIR\duskline.exe"
        ${If} $5 = 0
          MessageBox MB_OKCANCEL|MB_ICONQUESTION "$(EndIt)" /SD IDOK IDOK consented
          System::Call "kernel32::CloseHandle(p r2)"
          Abort "$(StillRunning)"
        consented:
          StrCpy $5 1
        ${EndIf}
        System::Call "kernel32::TerminateProcess(p r2, i 0)"
        System::Call "kernel32::WaitForSingleObject(p r2, i 5000)"
        StrCpy $0 0  ; its windows are gone: look again from the first
      ${EndIf}
      System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
  ${Loop}
FunctionEnd

Section
  Call EndRunningProgram
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=duskline.exe" "${STAGE}\x64\duskline.exe"
  ${Else}
    File "/oname=duskline.exe" "${STAGE}\x86\duskline.exe"
  ${EndIf}
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  ; An existing Vesperon.ini stays as it is unless a schedule or days were given.
  ${If} $Schedule != ""
    WriteINIStr "$INSTDIR\Vesperon.ini" "Command" "Code" $Schedule
  ${EndIf}
  ; Every day is no key at all, as the program writes it.
  ${If} $Days == "Mon Tue Wed Thu Fri Sat Sun"
    DeleteINIStr "$INSTDIR\Vesperon.ini" "Command" "Days"
  ${ElseIf} $Days != ""
    WriteINIStr "$INSTDIR\Vesperon.ini" "Command" "Days" $Days
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Duskline.lnk" "$INSTDIR\duskline.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Duskline"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\duskline.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  !if "${HOMEPAGE}" != ""
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  !endif
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; The service runs the program file of its folder as the system: removing that file would
  ; leave a registration behind that runs whatever is put there next.
  ReadRegStr $0 HKLM "${SERVICE_KEY}" "ImagePath"
  ${UnStrStr} $1 $0 "$INSTDIR\duskline.exe"
  ${If} $1 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(ServiceFirst)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  Delete "$INSTDIR\duskline.exe"
  Delete "$INSTDIR\Vesperon.ini"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The default place's parent, when the installer made it and it is empty again.
  ${If} $INSTDIR == "$LOCALAPPDATA\Programs\Duskline"
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}
  Delete "$SMPROGRAMS\Duskline.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
