// The writer thread of a results file and the queue that feeds it.
//
// The logging thread queues records; the writer thread takes them in order,
// asks each for its text, encodes it as UTF-8 and appends it to the file, until
// it has written an exit record and the queue is empty. The two threads share
// only the queue, guarded by one critical section, and two auto-reset events:
// RecordsQueuedEvent (set when a record is queued into an empty queue; the
// writer waits for it only after finding the queue empty) and
// WriterFinishedEvent (set by the writer when it has closed the file). The writer thread alone
// touches the file; the stream is not flushed per record.
#pragma once

#include <deque>

#include "pal/pal.h"
#include "report/XMLNodeDataBase.h"
#include "text/BstrString.h"

class CReportWriter {
public:
    CReportWriter() noexcept;
    // A running writer is sent an exit record and waited for first.
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    // Creates WriterFinishedEvent, then RecordsQueuedEvent, and starts the
    // writer thread for the file: appended to ("ab") when append is set, else
    // created anew ("wb") and begun with the UTF-8 byte-order mark. False
    // (nothing running) when an event or the thread cannot be created, or
    // when a writer is running already.
    bool Start(const WCHAR* resultsFilePath, bool append) noexcept;

    // Waits without a time limit until the writer thread has finished and
    // ended, then closes the thread and event handles. Records still queued
    // are freed. Returns at once when no writer was started.
    void WaitUntilFinished() noexcept;

    // Hands the record to the queue, which owns it from now on, and wakes the
    // writer when it may be waiting. When no writer takes records (none started, or it
    // has ended) the record is freed at once and false is returned.
    bool EnqueueRecord(CXMLNodeDataBase* record) noexcept;

    // True between a successful Start and WaitUntilFinished.
    bool IsStarted() const noexcept { return m_thread != nullptr; }

private:
    friend DWORD WINAPI ReportWriterThread(LPVOID writer);
    DWORD WriterLoop() noexcept;
    // Stops taking records and frees every queued one.
    void CloseQueue() noexcept;

    CRITICAL_SECTION m_queueLock;
    std::deque<CXMLNodeDataBase*> m_queue; // guarded by m_queueLock
    bool m_accepting = false;              // guarded by m_queueLock

    HANDLE m_thread = nullptr;
    HANDLE m_recordsQueued = nullptr;
    HANDLE m_writerFinished = nullptr;
    // Set before the thread starts; read by it.
    CBstrString m_path;
    bool m_append = false;
};

// The thread procedure: its argument is the CReportWriter. Returns 1 after
// writing, 0 when the file could not be opened.
DWORD WINAPI ReportWriterThread(LPVOID writer);

