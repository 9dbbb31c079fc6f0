"""Writes a results folder of a big run, byte for byte as the logger writes
it: one test, one test iteration, ACTIONS actions of ITERATIONS iterations
of STEPS steps each (1,000,000 steps by default), every 1000th step failed
and every 500th with a warning, each step with a time and a time tick.

Usage: make-results.py FOLDER [STEPS_TOTAL]"""
import os
import sys

folder = sys.argv[1]
total = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
actions, iterations = 10, 100
steps = max(1, total // (actions * iterations))
here = os.path.dirname(os.path.abspath(__file__))
prologue = open(os.path.join(here, "..", "..", "tests", "data", "report", "prologue-current.xml"), "rb").read()
prologue = prologue.replace(b"@TMZONE@", b"UTC")
base = 1709647505
os.makedirs(folder, exist_ok=True)


def node_args(etype, icon, nrep, status, disp):
    status = "" if status == "Done" else 'status="%s" ' % status
    return ('<NodeArgs eType="%s" icon="%d" nRep="%d" %s>\r\n<Disp><![CDATA[%s]]></Disp>\r\n</NodeArgs>\r\n'
            % (etype, icon, nrep, status, disp))


def clock(seconds):
    return "3/5/2024 - %d:%02d:%02d" % (14 + seconds // 3600, seconds // 60 % 60, seconds % 60)


with open(os.path.join(folder, "Results.xml"), "wb") as out:
    out.write(b"\xef\xbb\xbf" + prologue)
    out.write(b'<General productName="Corvane" productVer="12.0" os="Windows XP" host="BENCH">'
              b'<DocLocation><![CDATA[C:\\Tests\\Big]]></DocLocation></General>\r\n')
    rid, second, step_number = 1, 0, 0
    failed_all = warned_all = passed_all = 0
    chunks = ['<Doc rID="T1"   productName= "Corvane"  >\r\n<DName><![CDATA[Big run]]></DName>\r\n'
              '<Res><![CDATA[Res1]]></Res>\r\n<DIter rID="T2" iterID="1" >\r\n']
    rid = 2
    for action in range(1, actions + 1):
        rid += 1
        chunks.append('<Action rID="T%d">\r\n<AName><![CDATA[Action%d]]></AName>\r\n' % (rid, action))
        a_failed = a_warned = a_passed = 0
        a_start = second
        for iteration in range(1, iterations + 1):
            rid += 1
            chunks.append('<AIter rID="T%d" iterID="%d" >\r\n' % (rid, iteration))
            i_status = "Passed"
            for step in range(steps):
                step_number += 1
                rid += 1
                second += step_number % 3 == 0
                status = "Failed" if step_number % 1000 == 0 else "Warning" if step_number % 500 == 0 else "Passed"
                if status == "Failed":
                    a_failed += 1
                    i_status = "Failed"
                elif status == "Warning":
                    a_warned += 1
                    if i_status != "Failed":
                        i_status = "Warning"
                else:
                    a_passed += 1
                name = 'Button "Submit %d"' % (step % 20)
                details = "Clicked at row %d, expected the order page" % step_number
                chunks.append('<Step rID="T%d">\r\n<Obj plainTxt="False" ><![CDATA[%s]]></Obj>\r\n'
                              '<Details plainTxt="False" ><![CDATA[%s]]></Details>\r\n<Time><![CDATA[%s]]></Time>\r\n'
                              '<TimeTick>%d</TimeTick>\r\n' % (rid, name, details, clock(second), base + second))
                chunks.append(node_args("Replay", 0, 100 + step_number, status, name) + "</Step>\r\n")
            chunks.append(node_args("StartIteration", 2, rid, i_status,
                                    "Action%d Iteration %d (Row %d)" % (action, iteration, iteration)) + "</AIter>\r\n")
            if len(chunks) > 5000:
                out.write("".join(chunks).encode())
                chunks = []
        a_status = "Failed" if a_failed else "Warning" if a_warned else "Passed"
        chunks.append('<Summary sTime="%s" eTime="%s" passed="%d" failed="%d" warnings="%d" ></Summary>\r\n'
                      % (clock(a_start), clock(second), a_passed, a_failed, a_warned))
        chunks.append(node_args("StartAction", 1, 10 + action, a_status, "Action%d Summary" % action) + "</Action>\r\n")
        failed_all += a_failed
        warned_all += a_warned
        passed_all += a_passed
    chunks.append(node_args("StartIteration", 2, 3, "Failed" if failed_all else "Passed",
                            "Big run Iteration 1 (Row 1)") + "</DIter>\r\n")
    chunks.append('<Summary sTime="%s" eTime="%s" passed="%d" failed="%d" warnings="%d" ></Summary>\r\n'
                  % (clock(0), clock(second), passed_all, failed_all, warned_all))
    chunks.append(node_args("StartTest", 1, 2, "Failed" if failed_all else "Passed", "Test Big run Summary")
                  + "</Doc>\r\n</Report>")
    out.write("".join(chunks).encode())
print("%d steps, %d nodes" % (step_number, rid))
