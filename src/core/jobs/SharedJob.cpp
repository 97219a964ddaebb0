#include "core/jobs/SharedJob.h"

CSharedJob::CSharedJob(bool useHelper) : m_useHelper(useHelper) {}

bool CSharedJob::HelperWanted() {
  const unsigned threads = s_threads.load();
  return threads == 0 ? std::thread::hardware_concurrency() > 1 : threads > 1;
}

CSharedJob::~CSharedJob() {
  m_next.store(m_count);  // skip what is not yet taken
  if (!m_helper.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
  m_helper.join();
}

void CSharedJob::Start(std::size_t count, Work work) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_work = std::move(work);
  m_count = count;
  m_next.store(0);
  m_error = nullptr;
  ++m_jobNumber;
  m_shared = m_useHelper && count >= 2;
  if (!m_shared) return;  // nothing worth sharing
  if (!m_helper.joinable()) {
    m_helper = std::thread([this] { HelperLoop(); });
  } else {
    m_wake.notify_one();
  }
}

void CSharedJob::Finish() {
  TakePieces(0);
  std::unique_lock<std::mutex> lock(m_mutex);
  // The helper may still be on its last piece, or not yet have taken the job up at all
  // (it then finds no piece left and leaves at once). Either way it must be done with
  // this job before the next one may change what it reads.
  if (m_shared) m_done.wait(lock, [this] { return m_helperJob == m_jobNumber && !m_helperBusy; });
  if (m_error) std::rethrow_exception(std::exchange(m_error, nullptr));
}

void CSharedJob::TakePieces(int part) {
  for (std::size_t piece; (piece = m_next.fetch_add(1)) < m_count;) {
    try {
      m_work(piece, part);
    } catch (...) {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_error) m_error = std::current_exception();
    }
  }
}

void CSharedJob::HelperLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stop || (m_shared && m_jobNumber != m_helperJob); });
    if (m_stop) return;
    m_helperJob = m_jobNumber;
    m_helperBusy = true;
    lock.unlock();
    TakePieces(1);
    lock.lock();
    m_helperBusy = false;
    m_done.notify_one();
  }
}
