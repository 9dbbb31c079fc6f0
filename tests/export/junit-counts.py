"""Reads a JUnit XML file with junitparser (Debian's python3-junitparser) and
prints, per test suite, its name, tests, failures, errors and the names of
its failed cases, as one line each."""
import sys

from junitparser import Error, Failure, JUnitXml

xml = JUnitXml.fromfile(sys.argv[1])
print(f"total tests={xml.tests} failures={xml.failures} errors={xml.errors}")
for suite in xml:
    failed = [case.name for case in suite if any(isinstance(r, Failure) for r in case.result)]
    errors = [case.name for case in suite if any(isinstance(r, Error) for r in case.result)]
    print(f"suite {suite.name!r} tests={suite.tests} failures={suite.failures} errors={suite.errors} "
          f"failed={failed} cut-short={errors}")
