' A scripted run through the logger's dispatch interface, as a host script
' drives it: created by ProgID, settings from HKLM, descriptions that are
' real Scripting.Dictionary objects. Prints "FAIL: ..." for every check that
' fails and "SCRIPTED-RUN-DONE" at the end; the exit code is the number of
' failures.
' Usage: cscript //nologo ScriptedRun.vbs <registry root> <results folder>
Option Explicit

Dim failures : failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Function Description()
    Set Description = CreateObject("Scripting.Dictionary")
End Function

Dim root : root = WScript.Arguments(0)
Dim results : results = WScript.Arguments(1)

Dim logger : Set logger = CreateObject("Talvex.Annalist")
logger.SetRegistryRoot root
logger.ReportPath = results
Check logger.Filter = 0, "Filter starts at 0"
logger.Filter = 2
Check logger.Filter = 2, "Filter keeps 2"
logger.Filter = 0

Dim d
Set d = Description()
logger.LogEvent "StartRepLog", d, 0, 1, Now

Dim test : Set test = Description()
test("TestName") = "Scripted"
test("DocumentType") = "Test"
test("ProductName") = "Corvane"
logger.LogEvent "StartTest", test, 1, 2, Now
Check test.Exists("DllPAth"), "StartTest writes DllPAth back"
Check test("DllPAth") = "LocalDll", "DllPAth is LocalDll"
Check test("DllIconIndex") = 201, "StartTest icon index 201"
Check test("ShowTopFile") = False, "StartTest writes ShowTopFile back"

Dim action : Set action = Description()
action("TestName") = "Action1"
logger.LogEvent "StartAction", action, 2, 3, Now
Check action("DllPAth") = "LocalDll", "StartAction writes DllPAth back"

Dim iteration : Set iteration = Description()
iteration("Iteration") = 1
logger.LogEvent "StartIteration", iteration, 3, 4, Now
Check iteration("DllIconIndex") = 202, "StartIteration icon index 202"

Dim stepDescription : Set stepDescription = Description()
stepDescription("PlainTextNodeName") = "Click <OK> & go"
stepDescription("StepPlainTxt") = "Details with ]]> inside"
stepDescription("Status") = 1
logger.LogEvent "Replay", stepDescription, 4, 5, Now

Dim passed : Set passed = Description()
passed("PlainTextNodeName") = "Passing step"
passed("Status") = 0
logger.LogEvent "Replay", passed, 4, 6, Now
logger.SetStatus 6, 3

' An unknown event id: the error comes with its description.
On Error Resume Next
Err.Clear
logger.SetStatus 12345, 1
Check Err.Number = &H80040329, "SetStatus of an unknown id gives 0x80040329 (got " & Hex(Err.Number) & ")"
Check Err.Description = "Invalid EventId, can't change event status.", "SetStatus error text (got '" & Err.Description & "')"

' A "User" step with a status outside 0-4.
Dim user : Set user = Description()
user("PlainTextNodeName") = "User step"
user("Status") = 7
Err.Clear
logger.LogEvent "User", user, 4, 7, Now
Check Err.Number = &H80004005, "an invalid User status gives E_FAIL (got " & Hex(Err.Number) & ")"
Check Err.Description = "7 is an invalid value for the EventStatus argument (argument 1).", "User status error text (got '" & Err.Description & "')"
Err.Clear
On Error GoTo 0

Dim endIteration : Set endIteration = Description()
logger.LogEvent "EndActionIteration", endIteration, 3, 8, Now
Dim endAction : Set endAction = Description()
logger.LogEvent "EndAction", endAction, 2, 9, Now
Check endAction.Exists("ReturnLogStatus"), "EndAction writes ReturnLogStatus back"
' The run's status follows the tests that have ended: none yet.
Check endAction("ReturnLogStatus") = 2, "no test has ended yet (got " & endAction("ReturnLogStatus") & ")"
Dim endTest : Set endTest = Description()
logger.LogEvent "EndTest", endTest, 1, 10, Now
Check endTest.Exists("ReturnLogStatus"), "EndTest writes ReturnLogStatus back"
Check endTest("ReturnLogStatus") = 1, "the ended test failed (got " & endTest("ReturnLogStatus") & ")"
Set d = Description()
logger.LogEvent "EndRepLog", d, 0, 11, Now

Set logger = Nothing
WScript.Echo "SCRIPTED-RUN-DONE"
WScript.Quit failures
