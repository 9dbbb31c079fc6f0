// The writer thread of a results file and the queue that feeds it.
//
// The logging thread queues records; the writer thread takes them in order,
// turns each into its UTF-8 bytes (EncodeRecord) in an output buffer of its
// own, and hands the file whole buffers of whole records, one write call each
// (CResultsStream), until it has written an exit record and the queue is
// empty. The buffer is written when it is full, when the writer has nothing
// more to do for a moment (kIdleWriteMs), and at the end; never per record,
// and never in part, so a process killed at any moment leaves the file at a
// record boundary.
//
// The queue is bounded in bytes of records (an estimate of the memory they
// hold): past the limit, EnqueueRecord waits until the writer has taken what
// is queued, so memory never grows with the length of a run. The limit is
// kDefaultQueueLimit, or the number of bytes in the environment variable
// ANNALIST_WRITER_QUEUE_BYTES (read once per process), or what SetQueueLimit
// sets. A record is always taken when the queue is empty, however large.
//
// The two threads share only the queue, guarded by one critical section, and
// three auto-reset events: RecordsQueuedEvent (set when a record is queued
// while the writer waits for one), RoomAvailableEvent (set when the writer
// takes the queue while the logging thread waits for room) and
// WriterFinishedEvent (set by the writer when it has closed the file). The
// writer thread alone touches the file.
//
// A buffer that cannot be written (a full disk answered Cancel, any other
// write error) is written record by record as far as the records still fit;
// the file then ends well-formed after the last record written whole (see
// CResultsStream), and the writer stops: it writes nothing more, and the
// records queued then or later are freed. A record whose text cannot be made
// (memory running out) ends the file the same way before it. The loss is kept
// (TakeLossError) for the logging thread to report.
#pragma once

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "pal/pal.h"
#include "report/ReportElement.h"
#include "report/ResultsStream.h"
#include "report/XMLNodeDataBase.h"
#include "report/XmlOutput.h"

class CReportWriter {
public:
    static const size_t kDefaultQueueLimit = 4 * 1024 * 1024;
    static const size_t kBufferSize = 64 * 1024;
    static const DWORD kIdleWriteMs = 200;

    CReportWriter() noexcept;
    // A running writer is sent an exit record and waited for first.
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    // Creates WriterFinishedEvent, then the other two events, and starts the
    // writer thread for the open file (the writer takes it and closes it),
    // which is `size` bytes long with the elements `open` open at its end. A
    // new report begins with the UTF-8 byte-order mark (written with the
    // first records). False (the file closed, nothing running) when an event
    // or the thread cannot be created, or when a writer is running already.
    bool Start(FILE* file, const WCHAR* path, ULONGLONG size, OpenElements open, bool newReport) noexcept;

    // Waits without a time limit until the writer thread has finished and
    // ended, then closes the thread and event handles. Records still queued
    // are freed. Returns at once when no writer was started.
    void WaitUntilFinished() noexcept;

    // Hands the record to the queue, which owns it from now on; effect says
    // what it does to the open elements. Waits while the queue is full. When
    // no writer takes records (none started, or it has ended) the record is
    // freed at once and false is returned.
    bool EnqueueRecord(CXMLNodeDataBase* record, RecordEffect effect = RecordEffect()) noexcept;

    // True between a successful Start and WaitUntilFinished.
    bool IsStarted() const noexcept { return m_thread != nullptr; }

    // The queue's limit in bytes (0: the default).
    void SetQueueLimit(size_t bytes) noexcept;
    // The bytes of the records queued now, and the most queued at once.
    size_t QueuedBytes() const noexcept;
    size_t PeakQueuedBytes() const noexcept;

    // The Win32 error of the first record lost since it was last taken
    // (ERROR_DISK_FULL: a full disk answered Cancel), 0 when none was lost;
    // taking it clears it. Safe from any thread.
    DWORD TakeLossError() noexcept { return m_lossError.exchange(0, std::memory_order_acq_rel); }
    // Once the writer has finished: whether it wrote everything, and the
    // length of the file.
    bool FinishedWhole() const noexcept { return m_finishedWhole; }
    ULONGLONG FinalSize() const noexcept { return m_finalSize; }

private:
    struct QueuedRecord {
        CXMLNodeDataBase* record;
        size_t bytes;
        RecordEffect effect;
    };

    friend DWORD WINAPI ReportWriterThread(LPVOID writer);
    DWORD WriterLoop() noexcept;
    // One record in the buffer: where its bytes end, and what it does to the
    // open elements.
    struct BufferedRecord {
        size_t end;
        RecordEffect effect;
    };

    // Encodes the record into the buffer and writes the buffer when it is
    // full; false once the record could not be written (the file is ended).
    bool WriteRecord(CXMLNodeDataBase& record, const RecordEffect& effect);
    // Hands the buffer to the file (a last record larger than the buffer
    // alone, after the others); false when that failed (the file is ended).
    bool WriteBuffer();
    // Hands the buffered records [first, last) to the file in one write; when
    // that fails, one by one as far as they fit, then ends the file.
    bool WriteRecords(size_t first, size_t last);
    // The elements open after the first `count` buffered records.
    OpenElements OpenAfter(size_t count) const;
    void NoteLoss(DWORD error) noexcept;
    // Stops taking records, frees every queued one and releases a waiting
    // logging thread.
    void CloseQueue() noexcept;

    mutable CRITICAL_SECTION m_queueLock;
    // Guarded by m_queueLock:
    std::deque<QueuedRecord> m_queue;
    size_t m_queuedBytes = 0;
    size_t m_peakQueuedBytes = 0;
    size_t m_limit;
    bool m_accepting = false;
    bool m_writerWaiting = false;    // the writer waits for RecordsQueuedEvent
    bool m_producerWaiting = false;  // the logging thread waits for RoomAvailableEvent

    HANDLE m_thread = nullptr;
    HANDLE m_recordsQueued = nullptr;
    HANDLE m_roomAvailable = nullptr;
    HANDLE m_writerFinished = nullptr;
    std::atomic<DWORD> m_lossError{0};
    ULONGLONG m_finalSize = 0;
    bool m_finishedWhole = false;

    // The writer thread's own (set before it starts):
    CResultsStream m_stream;
    CXmlOutput m_buffer;                   // whole encoded records not yet written
    std::vector<BufferedRecord> m_records; // the records in the buffer
    OpenElements m_startOpen;              // the elements open before the buffer
    OpenElements m_open;                   // ... and after it
};

// The thread procedure: its argument is the CReportWriter. Returns 1 when
// everything was written, 0 when something was lost.
DWORD WINAPI ReportWriterThread(LPVOID writer);
