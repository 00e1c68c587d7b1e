// Screen routing by stage, the common frame, and dropping a folder on the window.
#include "ui/ContentView.h"

#include "model/PathText.h"
#include "ui/DoneView.h"
#include "ui/DropHighlight.h"
#include "ui/FailedView.h"
#include "ui/IdleView.h"
#include "ui/Look.h"
#include "ui/RunningView.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

ContentView::ContentView(Model& m, QWidget* parent) : QWidget(parent), m(m), frame(new QVBoxLayout(this))
{
    frame->setContentsMargins(margin, margin, margin, margin);
    frame->setSpacing(0);
    setFixedWidth(fixedWidth);
    setAcceptDrops(true);
    connect(&m, &Model::stageChanged, this, &ContentView::showScreen);
    showScreen();
}

void ContentView::showScreen()
{
    if (_screen) {
        // The old screen may be the one whose button led here; it goes once that click is over.
        frame->removeWidget(_screen);
        _screen->hide();
        _screen->deleteLater();
    }
    switch (m.stage()) {
    case Model::Stage::idle:
        _screen = new IdleView(m, _dropping, this);
        break;
    case Model::Stage::running:
        _screen = new RunningView(m, this);
        break;
    case Model::Stage::done:
        _screen = new DoneView(m, this);
        break;
    case Model::Stage::failed:
        _screen = new FailedView(m, this);
        break;
    }
    frame->addWidget(_screen);
    _screen->show();
    update();
}

QSize ContentView::minimumSizeHint() const
{
    // Taller than 460 only when the screen needs it; an explicit minimum would stop the window
    // from growing with a long list of walls.
    const QSize content = QWidget::minimumSizeHint();
    return {fixedWidth, std::max(content.height(), leastHeight)};
}

QSize ContentView::sizeHint() const
{
    return minimumSizeHint();
}

void ContentView::setDropping(bool dropping)
{
    if (_dropping == dropping)
        return;
    _dropping = dropping;
    if (auto* idle = qobject_cast<IdleView*>(_screen.data()))
        idle->setDropping(dropping);
    update();
}

void ContentView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasUrls())
        return;
    event->acceptProposedAction();
    setDropping(true);
}

void ContentView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ContentView::dragLeaveEvent(QDragLeaveEvent*)
{
    setDropping(false);
}

void ContentView::dropEvent(QDropEvent* event)
{
    setDropping(false);
    // A run in progress is not interrupted by a second folder.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (m.stage() == Model::Stage::running || urls.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Only the first item counts; whether it is a folder at all is for start() to judge.
    const std::optional<QString> path = PathText::pathOf(urls.first());
    if (!path)
        return;
    Model* model = &m;
    QMetaObject::invokeMethod(model, [model, path = *path] { model->start(path); }, Qt::QueuedConnection);
}

void ContentView::paintEvent(QPaintEvent*)
{
    // The frame runs 14 pixels from the window's edges, in the margin around the start
    // screen, so it is drawn here rather than by the screen itself.
    if (!_dropping || m.stage() != Model::Stage::idle)
        return;
    QPainter painter(this);
    const int inset = margin - 14;
    DropHighlight::paint(painter, QRectF(rect()).adjusted(inset, inset, -inset, -inset), Look::accent(palette()));
}
