#pragma once
#include <QHash>
#include <QMutex>
#include <QRunnable>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Work started on a thread pool of its own and collected by key on the thread that
// owns the set. Only that thread calls the members; the workers touch nothing but the
// job they run. A job nobody has started yet can be cancelled, or taken over by the
// owner when it needs the result at once. The destructor cancels what is queued and
// waits for what runs.
template <typename Result> class BackgroundJobs {
public:
    // `threads` 0: one per core.
    explicit BackgroundJobs(int threads = 0)
    {
        m_pool.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
    }
    ~BackgroundJobs()
    {
        cancelQueued();
        m_pool.clear();
        m_pool.waitForDone();
    }
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    int threadCount() const { return m_pool.maxThreadCount(); }
    bool contains(const QString& key) const { return m_jobs.contains(key); }
    qsizetype size() const { return m_jobs.size(); }

    // Queues `work` under `key`, unless a job of that key is already there.
    void start(const QString& key, std::function<Result()> work)
    {
        if (m_jobs.contains(key))
            return;
        auto job = std::make_shared<Job>();
        job->work = std::move(work);
        m_jobs.insert(key, job);
        m_pool.start(new Runner(job));
    }

    // The result of `key`, waiting for a worker that has it in hand or running it here
    // when none has started; the job is then forgotten. Nothing when there is no such job.
    std::optional<Result> take(const QString& key)
    {
        const auto it = m_jobs.find(key);
        if (it == m_jobs.end())
            return std::nullopt;
        const std::shared_ptr<Job> job = it.value();
        m_jobs.erase(it);
        int expected = Queued;
        if (job->state.compare_exchange_strong(expected, Running))
            run(*job);
        QMutexLocker lock(&job->mutex);
        while (!job->done)
            job->finished.wait(&job->mutex);
        return std::move(job->result);
    }

    // Whether the job of `key` has its result ready.
    bool isFinished(const QString& key) const
    {
        const auto it = m_jobs.constFind(key);
        if (it == m_jobs.constEnd())
            return false;
        QMutexLocker lock(&it.value()->mutex);
        return it.value()->done;
    }

    // Every finished result, each handed to `use(key, result)` and forgotten.
    template <typename Use> void takeFinished(Use use)
    {
        for (auto it = m_jobs.begin(); it != m_jobs.end();) {
            Job& job = *it.value();
            QMutexLocker lock(&job.mutex);
            if (!job.done) {
                ++it;
                continue;
            }
            Result result = std::move(job.result);
            lock.unlock();
            const QString key = it.key();
            it = m_jobs.erase(it);
            use(key, std::move(result));
        }
    }

    // Drops the jobs no worker has started; those running finish and stay to be taken.
    // `keep` (when given) names the keys to leave queued.
    void cancelQueued(const std::function<bool(const QString&)>& keep = {})
    {
        for (auto it = m_jobs.begin(); it != m_jobs.end();) {
            int expected = Queued;
            if ((!keep || !keep(it.key())) && it.value()->state.compare_exchange_strong(expected, Cancelled))
                it = m_jobs.erase(it);
            else
                ++it;
        }
    }

    // Keeps `result` under `key` as if a job had made it (replacing any job of that key).
    void put(const QString& key, Result result)
    {
        forget(key);
        auto job = std::make_shared<Job>();
        job->state = Running;
        job->result = std::move(result);
        job->done = true;
        m_jobs.insert(key, job);
    }

    // Drops the job of `key`: not run when still queued, its result let go otherwise.
    void forget(const QString& key)
    {
        const auto it = m_jobs.find(key);
        if (it == m_jobs.end())
            return;
        int expected = Queued;
        it.value()->state.compare_exchange_strong(expected, Cancelled);
        m_jobs.erase(it);
    }

    QStringList keys() const { return m_jobs.keys(); }

    // Blocks until every started job has finished.
    void waitForRunning() { m_pool.waitForDone(); }

private:
    enum { Queued, Running, Cancelled };
    struct Job {
        std::function<Result()> work;
        std::atomic<int> state { Queued };
        QMutex mutex;
        QWaitCondition finished;
        bool done = false;
        Result result {};
    };

    static void run(Job& job)
    {
        Result result = job.work();
        job.work = nullptr;
        QMutexLocker lock(&job.mutex);
        job.result = std::move(result);
        job.done = true;
        job.finished.wakeAll();
    }

    // Holds the job, not the set: a cancelled job's runner just ends.
    class Runner : public QRunnable {
    public:
        explicit Runner(std::shared_ptr<Job> job)
            : m_job(std::move(job))
        {
        }
        void run() override
        {
            int expected = Queued;
            if (m_job->state.compare_exchange_strong(expected, Running))
                BackgroundJobs::run(*m_job);
        }

    private:
        std::shared_ptr<Job> m_job;
    };

    QThreadPool m_pool;
    QHash<QString, std::shared_ptr<Job>> m_jobs;
};
