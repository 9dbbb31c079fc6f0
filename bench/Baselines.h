// Two baselines timed over the bytes of the Results.xml a run produced, so
// that the logger's time can be given as a ratio to work that the same
// machine does in the same minute:
// - raw fwrite: the file's bytes written in 64 KiB chunks to a new file;
// - snprintf: one snprintf per element of the file into a 64 KiB buffer that
//   is written with fwrite when the next element does not fit. Each element
//   (a start tag with its attributes, text and CDATA, and the end tags that
//   follow it) is formatted from a format made of the element itself, with
//   its attribute values, texts and CDATA contents (up to eight) as "%s"
//   arguments. The output is checked to be the same bytes.
// Both times include opening and closing the output file.
#pragma once

#include <string>

struct BaselineFigures {
    double fwriteSeconds = 0;
    double snprintfSeconds = 0;
    long elements = 0; // snprintf calls
    long arguments = 0;
    long long bytes = 0;
};

// `scratchFolder` receives the two output files (removed afterwards). False
// with the reason when a file cannot be read or written, or when the
// snprintf output differs from the input.
bool RunBaselines(const std::string& resultsFile, const std::string& scratchFolder, BaselineFigures& figures,
                  std::string& error);

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);
