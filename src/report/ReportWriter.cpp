#include "report/ReportWriter.h"

#include <cstdlib>
#include <new>

#include "report/RecordEncoding.h"
#include "report/XMLRootRecords.h"

namespace {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// What a record holds besides its large texts: the object, its allocations
// and the short texts of its elements.
const size_t kRecordOverhead = 256;

size_t TextBytes(const CBstrString& text) { return text.Length() * sizeof(WCHAR); }

// An estimate of the memory a queued record holds.
size_t RecordBytes(CXMLNodeDataBase& record)
{
    size_t bytes = kRecordOverhead + record.PayloadBytes();
    if (const NodeArgsData* args = record.GetNodeArgs())
        bytes += args->TextBytes();
    if (const SummaryData* summary = record.GetSummary()) {
        bytes += TextBytes(summary->sTime) + TextBytes(summary->eTime) + TextBytes(summary->returnValue) +
                 TextBytes(summary->maintenanceSummary);
        for (const SummaryParam& parameter : summary->parameters)
            bytes += sizeof(SummaryParam) + TextBytes(parameter.name) + TextBytes(parameter.value);
    }
    return bytes;
}

// The limit the environment sets (ANNALIST_WRITER_QUEUE_BYTES, a number of
// bytes), read once; the default without it.
size_t EnvironmentQueueLimit()
{
    static const size_t limit = [] {
        WCHAR text[32] = {};
        DWORD length = GetEnvironmentVariableW(W("ANNALIST_WRITER_QUEUE_BYTES"), text, 32);
        if (length == 0 || length >= 32)
            return CReportWriter::kDefaultQueueLimit;
        size_t value = 0;
        for (DWORD i = 0; i < length; ++i) {
            if (text[i] < '0' || text[i] > '9' || value > (static_cast<size_t>(-1) - 9) / 10)
                return CReportWriter::kDefaultQueueLimit;
            value = value * 10 + static_cast<size_t>(text[i] - '0');
        }
        return value == 0 ? CReportWriter::kDefaultQueueLimit : value;
    }();
    return limit;
}

void Apply(OpenElements& open, const RecordEffect& effect)
{
    if (effect.kind == RecordEffect::Opens)
        open.push_back(effect.element);
    else if (effect.kind == RecordEffect::Closes && !open.empty())
        open.pop_back();
}

} // namespace

CReportWriter::CReportWriter() noexcept : m_limit(EnvironmentQueueLimit()) { InitializeCriticalSection(&m_queueLock); }

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

void CReportWriter::SetQueueLimit(size_t bytes) noexcept
{
    EnterCriticalSection(&m_queueLock);
    m_limit = bytes == 0 ? kDefaultQueueLimit : bytes;
    LeaveCriticalSection(&m_queueLock);
}

size_t CReportWriter::QueuedBytes() const noexcept
{
    EnterCriticalSection(&m_queueLock);
    size_t bytes = m_queuedBytes;
    LeaveCriticalSection(&m_queueLock);
    return bytes;
}

size_t CReportWriter::PeakQueuedBytes() const noexcept
{
    EnterCriticalSection(&m_queueLock);
    size_t bytes = m_peakQueuedBytes;
    LeaveCriticalSection(&m_queueLock);
    return bytes;
}

bool CReportWriter::Start(FILE* file, const WCHAR* path, ULONGLONG size, OpenElements open, bool newReport) noexcept
{
    if (m_thread || !file) {
        if (file)
            std::fclose(file);
        return false;
    }
    m_finalSize = size;
    m_finishedWhole = false;
    try {
        m_buffer.Clear();
        m_records.clear();
        // The byte-order mark goes with the first record.
        if (newReport)
            m_buffer.Put(kUtf8ByteOrderMark);
        m_startOpen = m_open = open;
        m_stream.Attach(file, path, size, std::move(open));
    } catch (...) {
        std::fclose(file);
        return false;
    }
    m_writerFinished = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_writerFinished)
        m_recordsQueued = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_recordsQueued)
        m_roomAvailable = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_roomAvailable) {
        EnterCriticalSection(&m_queueLock);
        m_accepting = true;
        m_queuedBytes = m_peakQueuedBytes = 0;
        m_writerWaiting = m_producerWaiting = false;
        LeaveCriticalSection(&m_queueLock);
        DWORD threadId = 0;
        m_thread = CreateThread(nullptr, 0, ReportWriterThread, this, 0, &threadId);
    }
    if (m_thread)
        return true;
    CloseQueue();
    m_stream.Close();
    for (HANDLE* event : {&m_roomAvailable, &m_recordsQueued, &m_writerFinished}) {
        if (*event)
            CloseHandle(*event);
        *event = nullptr;
    }
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
        CloseHandle(m_roomAvailable);
        CloseHandle(m_writerFinished);
        m_thread = m_recordsQueued = m_roomAvailable = m_writerFinished = nullptr;
    }
    CloseQueue();
}

bool CReportWriter::EnqueueRecord(CXMLNodeDataBase* record, RecordEffect effect) noexcept
{
    if (!record)
        return false;
    size_t bytes = 0;
    try {
        bytes = RecordBytes(*record);
    } catch (...) {
        bytes = kRecordOverhead;
    }
    bool queued = false;
    bool wakeWriter = false;
    EnterCriticalSection(&m_queueLock);
    // A full queue: wait until the writer takes it (a record is always taken
    // into an empty queue).
    while (m_accepting && m_queuedBytes != 0 && m_queuedBytes + bytes > m_limit) {
        m_producerWaiting = true;
        LeaveCriticalSection(&m_queueLock);
        WaitForSingleObject(m_roomAvailable, INFINITE);
        EnterCriticalSection(&m_queueLock);
    }
    if (m_accepting) {
        try {
            m_queue.push_back(QueuedRecord{record, bytes, effect});
            m_queuedBytes += bytes;
            if (m_queuedBytes > m_peakQueuedBytes)
                m_peakQueuedBytes = m_queuedBytes;
            queued = true;
            wakeWriter = m_writerWaiting;
            m_writerWaiting = false;
        } catch (...) {
        }
    }
    LeaveCriticalSection(&m_queueLock);
    if (!queued) {
        delete record;
        return false;
    }
    // Only a writer that waits for records is woken; the event stays set
    // until its wait takes it.
    if (wakeWriter)
        SetEvent(m_recordsQueued);
    return true;
}

void CReportWriter::CloseQueue() noexcept
{
    std::deque<QueuedRecord> left;
    bool wakeProducer = false;
    EnterCriticalSection(&m_queueLock);
    m_accepting = false;
    left.swap(m_queue);
    m_queuedBytes = 0;
    wakeProducer = m_producerWaiting;
    m_producerWaiting = false;
    LeaveCriticalSection(&m_queueLock);
    if (wakeProducer)
        SetEvent(m_roomAvailable);
    for (QueuedRecord& entry : left)
        delete entry.record;
}

void CReportWriter::NoteLoss(DWORD error) noexcept
{
    // The first loss is kept until it is taken.
    DWORD none = 0;
    m_lossError.compare_exchange_strong(none, error != 0 ? error : ERROR_WRITE_FAULT, std::memory_order_acq_rel);
}

OpenElements CReportWriter::OpenAfter(size_t count) const
{
    OpenElements open = m_startOpen;
    for (size_t i = 0; i < count; ++i)
        Apply(open, m_records[i].effect);
    return open;
}

bool CReportWriter::WriteRecords(size_t first, size_t last)
{
    const size_t begin = first == 0 ? 0 : m_records[first - 1].end;
    const size_t end = m_records[last - 1].end;
    if (m_stream.Write(m_buffer.Data() + begin, end - begin, last == m_records.size() ? m_open : OpenAfter(last)))
        return true;
    // Cancel, or another failure: as many records as still fit, each in one
    // write, then the file ends after the last of them.
    for (size_t i = first; i < last; ++i) {
        const size_t from = i == 0 ? 0 : m_records[i - 1].end;
        if (!m_stream.WriteQuietly(m_buffer.Data() + from, m_records[i].end - from, OpenAfter(i + 1)))
            break;
    }
    m_stream.End();
    NoteLoss(m_stream.Error());
    return false;
}

bool CReportWriter::WriteBuffer()
{
    const size_t count = m_records.size();
    if (count == 0)
        return true;
    bool written;
    if (count > 1 && m_records[count - 1].end - m_records[count - 2].end >= kBufferSize)
        written = WriteRecords(0, count - 1) && WriteRecords(count - 1, count);
    else
        written = WriteRecords(0, count);
    m_buffer.Clear();
    m_records.clear();
    m_startOpen = m_open;
    // A record much larger than the buffer does not keep its memory.
    if (m_buffer.Capacity() > 4 * kBufferSize)
        m_buffer.Release();
    return written;
}

bool CReportWriter::WriteRecord(CXMLNodeDataBase& record, const RecordEffect& effect)
{
    const size_t before = m_buffer.Size();
    if (!EncodeRecord(record, m_buffer)) {
        // The record cannot be written: the records before it are, and the
        // file ends there.
        m_buffer.Shrink(before);
        if (WriteBuffer()) {
            m_stream.End(ERROR_NOT_ENOUGH_MEMORY);
            NoteLoss(ERROR_NOT_ENOUGH_MEMORY);
        }
        return false;
    }
    m_records.push_back(BufferedRecord{m_buffer.Size(), effect});
    Apply(m_open, effect);
    return m_buffer.Size() < kBufferSize || WriteBuffer();
}

DWORD CReportWriter::WriterLoop() noexcept
{
    std::deque<QueuedRecord> batch;
    bool exitWritten = false;
    bool failed = false;
    for (;;) {
        // The writer takes whatever is queued in one go (one short hold of
        // the lock per batch, not per record); a logging thread waiting for
        // room may go on then.
        bool finished = false;
        bool wakeProducer = false;
        EnterCriticalSection(&m_queueLock);
        if (!m_queue.empty()) {
            batch.swap(m_queue);
            m_queuedBytes = 0;
            wakeProducer = m_producerWaiting;
            m_producerWaiting = false;
        } else if (exitWritten) {
            m_accepting = false; // records queued from now on are freed by EnqueueRecord
            finished = true;
        } else {
            m_writerWaiting = true;
        }
        LeaveCriticalSection(&m_queueLock);
        if (wakeProducer)
            SetEvent(m_roomAvailable);
        if (finished)
            break;
        if (batch.empty()) {
            // Nothing queued: what the buffer holds goes to the file once
            // the writer has been idle for a moment.
            if (m_records.empty() || WaitForSingleObject(m_recordsQueued, kIdleWriteMs) == WAIT_TIMEOUT) {
                if (!WriteBuffer()) {
                    failed = true;
                    break;
                }
                WaitForSingleObject(m_recordsQueued, INFINITE);
            }
            continue;
        }
        for (QueuedRecord& entry : batch) {
            if (!failed && entry.record) {
                try {
                    failed = !WriteRecord(*entry.record, entry.effect);
                } catch (...) {
                    NoteLoss(ERROR_NOT_ENOUGH_MEMORY);
                    failed = true;
                }
                if (entry.record->IsExitRecord())
                    exitWritten = true;
            }
            delete entry.record;
        }
        batch.clear();
        if (failed)
            break;
    }
    if (!failed)
        failed = !WriteBuffer();
    m_buffer.Clear();
    m_records.clear();
    // Nothing more is written: what is queued now or later is freed.
    if (failed)
        CloseQueue();
    // The file is complete on disk before anyone is told the writer finished.
    if (!m_stream.Close()) {
        NoteLoss(m_stream.Error());
        failed = true;
    }
    m_finalSize = m_stream.Size();
    m_finishedWhole = !failed;
    SetEvent(m_writerFinished);
    return failed ? 0 : 1;
}

DWORD WINAPI ReportWriterThread(LPVOID writer)
{
    return static_cast<CReportWriter*>(writer)->WriterLoop();
}
