// The writer's queue is bounded in bytes: with the writer held up, the
// logging thread waits for room, and nothing is lost or reordered; memory
// stays at the limit however many records come.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "report/ReportWriter.h"
#include "report/XMLRootRecords.h"
#include "support/TestSupport.h"

namespace {

// A record with a payload of `bytes` bytes whose text is "<r n="N"/>"; the
// first one makes the writer wait for the gate.
class CGatedRecord : public CXMLNodeDataBase {
public:
    CGatedRecord(int number, size_t bytes, HANDLE gate) : m_number(number), m_bytes(bytes), m_gate(gate) {}
    void GetXMLText(CXmlOutput& out) override
    {
        if (m_gate)
            WaitForSingleObject(m_gate, INFINITE);
        out.Put("<r n=\"").Number(m_number).Put("\"/>");
    }
    size_t PayloadBytes() const override { return m_bytes; }

private:
    int m_number;
    size_t m_bytes;
    HANDLE m_gate;
};

} // namespace

TEST(ReportWriter, AFullQueueMakesTheLoggingThreadWaitAndLosesNothing)
{
    test::TempFolder folder;
    WideString path = folder.Wide("Results.xml");
    FILE* file = _wfsopen(path.c_str(), W("wb"), _SH_DENYWR);
    ASSERT_NE(file, nullptr);
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(gate, nullptr);

    const size_t limit = 8 * 1024;
    const int records = 500;
    CReportWriter writer;
    writer.SetQueueLimit(limit);
    ASSERT_TRUE(writer.Start(file, path.c_str(), 0, OpenElements(), false));

    // The writer takes the first record and waits at the gate; the logging
    // thread goes on queueing records of about 1 KiB.
    std::atomic<int> queued{0};
    std::thread logging([&] {
        for (int n = 0; n < records; ++n) {
            EXPECT_TRUE(writer.EnqueueRecord(new CGatedRecord(n, 1024, n == 0 ? gate : nullptr)));
            ++queued;
        }
    });
    // It stops where the queue is full, and stays there.
    int before = -1;
    for (int tries = 0; tries < 100 && before != queued.load(); ++tries) {
        before = queued.load();
        Sleep(50);
    }
    EXPECT_LT(queued.load(), 20);
    EXPECT_LE(writer.QueuedBytes(), limit);

    SetEvent(gate);
    logging.join();
    EXPECT_TRUE(writer.EnqueueRecord(new CXMLExitReport()));
    writer.WaitUntilFinished();
    CloseHandle(gate);

    std::string expected;
    for (int n = 0; n < records; ++n)
        expected += "<r n=\"" + std::to_string(n) + "\"/>";
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / "Results.xml"), expected);
    EXPECT_LE(writer.PeakQueuedBytes(), limit);
    EXPECT_EQ(writer.TakeLossError(), 0u);
}
