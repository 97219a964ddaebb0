#pragma once
// A job of many small pieces shared between the calling thread and one helper thread.
// The helper starts on the pieces as soon as the job is started, while the calling
// thread may still do something else (a file handler reads and writes its files);
// Finish then lets the calling thread take pieces too until none is left. Each piece is
// done exactly once, by whichever thread takes it first. The helper lives as long as
// the object and is started with the first job, so small work never starts it; on a
// machine with one core (or with SetThreads(1)) every piece is done by the calling
// thread in Finish.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

class CSharedJob {
 public:
  // work(piece, part): part is 0 on the calling thread and 1 on the helper, so that each
  // thread can keep its own scratch.
  using Work = std::function<void(std::size_t piece, int part)>;
  static constexpr int kParts = 2;

  explicit CSharedJob(bool useHelper = HelperWanted());
  // A job still running is cut short: pieces not yet taken are skipped.
  ~CSharedJob();
  CSharedJob(const CSharedJob&) = delete;
  CSharedJob& operator=(const CSharedJob&) = delete;

  // Starts pieces 0 .. count-1 of `work` (the previous job must be finished).
  void Start(std::size_t count, Work work);
  // Does the pieces no thread has taken yet and returns when every piece is done. An
  // exception thrown by a piece is passed on here (the first one; the job's other
  // pieces still run).
  void Finish();

  // How many threads the jobs made from now on use: 1 keeps every piece on the calling
  // thread (the one-thread baseline of a benchmark), 0 (the default) one per core, at
  // most kParts. Process-wide; set it before the jobs are made.
  static void SetThreads(unsigned threads) { s_threads.store(threads); }
  // Whether a job made now would use its helper thread.
  static bool HelperWanted();

 private:
  static inline std::atomic<unsigned> s_threads{0};

  void HelperLoop();
  // Does pieces until none is left; the first exception is kept in m_error.
  void TakePieces(int part);

  std::mutex m_mutex;
  std::condition_variable m_wake;  // a new job, or stop
  std::condition_variable m_done;  // the helper left the current job
  Work m_work;
  std::size_t m_count = 0;
  std::atomic<std::size_t> m_next{0};
  unsigned m_jobNumber = 0;  // counts started jobs
  bool m_shared = false;     // the helper is asked to help with the current job
  unsigned m_helperJob = 0;  // the job the helper took up last
  bool m_helperBusy = false;
  bool m_stop = false;
  std::exception_ptr m_error;
  bool m_useHelper;
  std::thread m_helper;
};
