// The identity of a run in the test-management system ("ReportPrepareRun"):
// its test set, the test's instance in it and the test's version. The start
// records of a test and of a business process carry it.
#pragma once

#include "report/XmlOutput.h"
#include "text/BstrString.h"

struct RunIdentity {
    CBstrString testSet;
    CBstrString testInstance;
    CBstrString testVersion;
};

// Appends the elements of a start record that name the identity to out: DVer,
// TSet and TInst, each only when its text is not empty.
void WriteRunIdentity(const RunIdentity& identity, CXmlOutput& out);
