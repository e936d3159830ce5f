#include "client/browse/PagingThreads.h"

#include "client/browse/QueryPage.h"
#include "platform/db/connection.h"

namespace vintrel {
using namespace Qt::StringLiterals;

TPagingThread::TPagingThread(QueryPage *page, Job job) : QThread(page), m_page(page), m_job(std::move(job))
{
    m_outcome.token = m_job.token;
    m_outcome.kind = m_job.kind;
    m_outcome.page = m_job.page;
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TPagingThread::run()
{
    try {
        Execute();
        m_outcome.ok = true;
    } catch (const std::exception &) {
        // The window thread tells the user; the outcome carries nothing else.
        m_outcome = PagingOutcome{m_job.token, m_job.kind};
    }
    QueryPage *page = m_page;
    QMetaObject::invokeMethod(
        page, [page, outcome = std::move(m_outcome)]() mutable { page->workerFinished(std::move(outcome)); },
        Qt::QueuedConnection);
}

void TPagingThread::CountStep()
{
    db::Dataset &temp = m_page->AQTemp;
    temp.close();
    temp.open(m_job.statements.count);
    if (!temp.hasRows())
        throw db::Error("the count statement returned no row");
    const qint64 total = temp.records().value(0, u"mycount"_s).toLongLong();
    m_outcome.total = int(total);
    m_outcome.pageCount = int(total / browse::kPageSize + (total % browse::kPageSize ? 1 : 0));
}

void TPagingThread::ClampPage()
{
    if (m_outcome.page > m_outcome.pageCount || m_outcome.page < 1)
        m_outcome.page = 1;
}

void TPagingThread::PageStep()
{
    m_outcome.rows.close();
    // Nothing to list: reading the range again for an empty page can take seconds on a long range,
    // all of it under the one lock.
    if (m_outcome.total == 0 && m_job.statements.countCoversPage) {
        m_outcome.rows.openEmpty();
        return;
    }
    m_outcome.rows.open(browse::pageStatement(m_job.statements.pagePrefix, m_outcome.page));
}

void TCountThread::Execute()
{
    db::ConnectionLock lock(db::Connection::shared().mutex());
    CountStep();
    PageStep();
}

void TMoveThread::Execute()
{
    db::ConnectionLock lock(db::Connection::shared().mutex());
    CountStep();
    ClampPage();
    PageStep();
}

} // namespace vintrel
