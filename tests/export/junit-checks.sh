#!/bin/sh
# `annalist export --junit` against the JUnit schema (xmllint) and read back
# by junitparser (Debian's python3-junitparser, for /usr/bin/python3): the
# bundled examples, and a results file cut short.
# Usage: junit-checks.sh <annalist tool> <build folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=$1
examples=$here/../../examples
schema=$here/../data/junit/junit.xsd
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

check() { # name, expected lines
    name=$1
    expected=$2
    xmllint --noout --schema "$schema" "$work/$name.xml" 2>"$work/xmllint.txt" || {
        echo "FAIL $name: not valid against the JUnit schema:"; cat "$work/xmllint.txt"; status=1; return; }
    actual=$(/usr/bin/python3 "$here/junit-counts.py" "$work/$name.xml")
    if [ "$actual" != "$expected" ]; then
        echo "FAIL $name: junitparser reads"; echo "$actual"; echo "expected"; echo "$expected"; status=1
    else
        echo "ok   $name"
    fi
}

"$tool" replay "$examples/flight-booking.jsonl" -o "$work/flight" >/dev/null
"$tool" export --junit "$work/flight.xml" "$work/flight" 2>/dev/null
check flight "total tests=4 failures=1 errors=0
suite 'FlightBooking / Login' tests=1 failures=0 errors=0 failed=[] cut-short=[]
suite 'FlightBooking / BookFlight' tests=3 failures=1 errors=0 failed=['Iteration 2'] cut-short=[]"

"$tool" replay "$examples/business-process.jsonl" -o "$work/bp" >/dev/null
"$tool" export --junit "$work/bp.xml" "$work/bp" 2>/dev/null
check bp "total tests=2 failures=1 errors=0
suite 'Order to cash / Create order' tests=1 failures=0 errors=0 failed=[] cut-short=[]
suite 'Order to cash / Approve order' tests=1 failures=1 errors=0 failed=['Iteration 1'] cut-short=[]"

# Cut inside the second action's third iteration: exit status 2, and the
# file still says what was read.
head -c "$(grep -b -o 'Seat map' "$work/flight/Results.xml" | head -1 | cut -d: -f1)" "$work/flight/Results.xml" \
    >"$work/cut.xml"
mkdir "$work/cut" && mv "$work/cut.xml" "$work/cut/Results.xml"
if "$tool" export --junit "$work/cut.xml" "$work/cut" 2>"$work/cut-err.txt"; then
    echo "FAIL cut: exit status 0"; status=1
fi
grep -q "is incomplete: it ends inside" "$work/cut-err.txt" || { echo "FAIL cut: no warning"; cat "$work/cut-err.txt"; status=1; }
check cut "total tests=4 failures=1 errors=1
suite 'FlightBooking / Login' tests=1 failures=0 errors=0 failed=[] cut-short=[]
suite 'FlightBooking / BookFlight' tests=3 failures=1 errors=1 failed=['Iteration 2'] cut-short=['Iteration 3']"
exit $status
