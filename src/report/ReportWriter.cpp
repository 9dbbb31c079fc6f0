#include "report/ReportWriter.h"

#include <new>
#include <vector>

#include "fs/FolderServices.h"
#include "report/XMLRootRecords.h"
#include "report/XmlOutput.h"

namespace {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
// The disk-space threshold of the results file: any free byte will do.
const ULONGLONG kResultsFileThreshold = 1;

// Bytes of formatted records gathered before they go to the file.
const size_t kOutputFlushBytes = 64 * 1024;

// Hands the output's bytes to the stream and empties it. A short write loses
// them; nothing is reported.
void WriteOutput(FILE* file, CXmlOutput& output) noexcept
{
    if (!output.IsEmpty())
        fwrite(output.Data(), 1, output.Size(), file);
    output.Clear();
}

} // namespace

CReportWriter::CReportWriter() noexcept { InitializeCriticalSection(&m_queueLock); }

CReportWriter::~CReportWriter()
{
    if (m_thread) {
        // Ends a writer that was never told to: whatever is queued is written.
        EnqueueRecord(new (std::nothrow) CXMLExitReport());
    }
    WaitUntilFinished();
    CloseQueue();
    DeleteCriticalSection(&m_queueLock);
}

bool CReportWriter::Start(const WCHAR* resultsFilePath, bool append) noexcept
{
    if (m_thread)
        return false;
    m_path = resultsFilePath;
    m_append = append;
    m_writerFinished = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_writerFinished)
        m_recordsQueued = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_recordsQueued) {
        EnterCriticalSection(&m_queueLock);
        m_accepting = true;
        LeaveCriticalSection(&m_queueLock);
        DWORD threadId = 0;
        m_thread = CreateThread(nullptr, 0, ReportWriterThread, this, 0, &threadId);
    }
    if (m_thread)
        return true;
    CloseQueue();
    if (m_recordsQueued)
        CloseHandle(m_recordsQueued);
    if (m_writerFinished)
        CloseHandle(m_writerFinished);
    m_recordsQueued = m_writerFinished = nullptr;
    return false;
}

void CReportWriter::WaitUntilFinished() noexcept
{
    if (m_thread) {
        WaitForSingleObject(m_writerFinished, INFINITE);
        // The writer sets the event as its last use of this object; waiting
        // for the thread itself as well means nothing of it outlives us.
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_recordsQueued);
        CloseHandle(m_writerFinished);
        m_thread = m_recordsQueued = m_writerFinished = nullptr;
    }
    CloseQueue();
}

bool CReportWriter::EnqueueRecord(CXMLNodeDataBase* record) noexcept
{
    if (!record)
        return false;
    bool queued = false;
    bool wasEmpty = false;
    EnterCriticalSection(&m_queueLock);
    if (m_accepting) {
        try {
            wasEmpty = m_queue.empty();
            m_queue.push_back(record);
            queued = true;
        } catch (...) {
        }
    }
    LeaveCriticalSection(&m_queueLock);
    if (!queued) {
        delete record;
        return false;
    }
    // The writer waits only after finding the queue empty, so the record that
    // ends an empty spell is the one that must wake it; the event stays set
    // until a wait takes it.
    if (wasEmpty)
        SetEvent(m_recordsQueued);
    return true;
}

void CReportWriter::CloseQueue() noexcept
{
    std::deque<CXMLNodeDataBase*> left;
    EnterCriticalSection(&m_queueLock);
    m_accepting = false;
    left.swap(m_queue);
    LeaveCriticalSection(&m_queueLock);
    for (CXMLNodeDataBase* record : left)
        delete record;
}

DWORD CReportWriter::WriterLoop() noexcept
{
    FILE* file = OpenFileWithRetry(m_path.c_str(), m_append ? W("ab") : W("wb"), true, kResultsFileThreshold);
    if (!file) {
        // Nothing of this run can be written: what is queued now or later is freed.
        CloseQueue();
        SetEvent(m_writerFinished);
        return 0;
    }
    if (!m_append)
        fwrite(kUtf8ByteOrderMark, 1, 3, file);

    // The writer takes whatever is queued in one go (one short hold of the
    // lock per batch, not per record) and writes it in order.
    std::deque<CXMLNodeDataBase*> batch;
    // The records' text, formatted straight into one buffer that keeps its
    // room from batch to batch.
    CXmlOutput output;
    bool exitWritten = false;
    for (;;) {
        bool finished = false;
        EnterCriticalSection(&m_queueLock);
        if (!m_queue.empty()) {
            batch.swap(m_queue);
        } else if (exitWritten) {
            m_accepting = false; // records queued from now on are freed by EnqueueRecord
            finished = true;
        }
        LeaveCriticalSection(&m_queueLock);
        if (finished)
            break;
        if (batch.empty()) {
            // The event stays set until a wait takes it, so a record queued
            // since the check above is not missed.
            WaitForSingleObject(m_recordsQueued, INFINITE);
            continue;
        }
        while (!batch.empty()) {
            CXMLNodeDataBase* record = batch.front();
            if (record) {
                EncodeRecord(*record, output);
                if (record->IsExitRecord())
                    exitWritten = true;
                delete record;
                if (output.Size() >= kOutputFlushBytes)
                    WriteOutput(file, output);
            }
            batch.pop_front();
        }
        WriteOutput(file, output);
    }

    // The file is complete on disk before anyone is told the writer finished.
    fclose(file);
    SetEvent(m_writerFinished);
    return 1;
}

DWORD WINAPI ReportWriterThread(LPVOID writer)
{
    return static_cast<CReportWriter*>(writer)->WriterLoop();
}
