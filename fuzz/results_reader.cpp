// The results reader on any bytes: every event in order, the nodes' shapes,
// and GeneralInfo.ini's parser.
#include "FuzzSupport.h"
#include "results/GeneralInfo.h"
#include "results/ResultsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    results::CMemoryByteSource source(bytes);
    results::CResultsReader reader(source);
    long open = 0, ended = false;
    while (reader.Next()) {
        switch (reader.Current()) {
        case results::CResultsReader::Event::NodeStart:
            ++open;
            break;
        case results::CResultsReader::Event::NodeEnd:
            --open;
            fuzz::Check(open >= 0, "a node ends only once it has begun");
            reader.CurrentNode().Title();
            for (size_t level = 0; reader.Ancestor(level); ++level) {
            }
            break;
        case results::CResultsReader::Event::End:
            ended = true;
            break;
        default:
            break;
        }
    }
    fuzz::Check(ended, "the end is given");
    fuzz::Check(open == 0 || !reader.Outcome().Complete(), "a complete file ends every node it begins");
    results::ParseGeneralInfo(bytes);
    return 0;
}
