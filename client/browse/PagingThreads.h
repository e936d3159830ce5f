#pragma once
// The paging workers, one class per kind and operation (TANNCountThread ... TRPTPrevThread). A worker
// runs the count step and the page step of one query operation on the shared connection, holding the
// connection's one lock for both, so that workers of every kind run one at a time. It touches no widget:
// its outcome goes to the QueryPage that started it as a queued call. It is started at once by its
// creator (the page, which also owns it), deletes itself when it has finished, and is not referred to
// afterwards; the page waits for those still running when it is destroyed.

#include "client/browse/QueryStatements.h"
#include "platform/db/dataset.h"

#include <QThread>

namespace vintrel {

class QueryPage;

// What a worker found, for the operation `token`. On failure only token, kind and ok are set.
struct PagingOutcome
{
    quint64 token = 0;
    browse::Kind kind = browse::Kind::ANN;
    bool ok = false;
    int total = 0;
    int pageCount = 0;
    int page = 1;
    db::Dataset rows;
};

class TPagingThread : public QThread
{
public:
    struct Job
    {
        browse::Kind kind;
        quint64 token;
        browse::Statements statements;
        int page; // the page the operation asks for
    };
    TPagingThread(QueryPage *page, Job job);

protected:
    // The worker's steps, under the connection lock; a failing statement throws db::Error.
    virtual void Execute() = 0;
    // On AQTemp: the record total and the page count.
    void CountStep();
    // After a recount the asked-for page may no longer exist: page 1 then.
    void ClampPage();
    // The asked-for page into the worker's own rows.
    void PageStep();

private:
    void run() final;

    QueryPage *m_page;
    Job m_job;
    PagingOutcome m_outcome;
};

// A new query: count, then page 1.
class TCountThread : public TPagingThread
{
public:
    using TPagingThread::TPagingThread;

protected:
    void Execute() override;
};

// A page move: count again, then the page asked for, or page 1 when it no longer exists.
class TMoveThread : public TPagingThread
{
public:
    using TPagingThread::TPagingThread;

protected:
    void Execute() override;
};

// A worker of kind K.
template <browse::Kind K, class Base> class TKindThread : public Base
{
public:
    TKindThread(QueryPage *page, quint64 token, browse::Statements statements, int pageNo)
        : Base(page, {K, token, std::move(statements), pageNo})
    {
    }
};

class TANNCountThread final : public TKindThread<browse::Kind::ANN, TCountThread>
{
public:
    using TKindThread::TKindThread;
};
class TANNNextThread final : public TKindThread<browse::Kind::ANN, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TANNPrevThread final : public TKindThread<browse::Kind::ANN, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TREPCountThread final : public TKindThread<browse::Kind::REP, TCountThread>
{
public:
    using TKindThread::TKindThread;
};
class TREPNextThread final : public TKindThread<browse::Kind::REP, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TREPPrevThread final : public TKindThread<browse::Kind::REP, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TDISCountThread final : public TKindThread<browse::Kind::DIS, TCountThread>
{
public:
    using TKindThread::TKindThread;
};
class TDISNextThread final : public TKindThread<browse::Kind::DIS, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TDISPrevThread final : public TKindThread<browse::Kind::DIS, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TRPTCountThread final : public TKindThread<browse::Kind::RPT, TCountThread>
{
public:
    using TKindThread::TKindThread;
};
class TRPTNextThread final : public TKindThread<browse::Kind::RPT, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};
class TRPTPrevThread final : public TKindThread<browse::Kind::RPT, TMoveThread>
{
public:
    using TKindThread::TKindThread;
};

} // namespace vintrel
