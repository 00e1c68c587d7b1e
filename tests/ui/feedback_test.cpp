// The feedback mail's text and address, and the clipboard and alert when no mail app is set up.
#include "UiTest.h"

#include "ui/BuildInfo.h"
#include "ui/Feedback.h"
#include "ui/QtDesktop.h"

#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUrlQuery>

namespace {

class FeedbackTest : public UiTest {};

TEST_F(FeedbackTest, TheBodyHasTheQuestionThreeEmptyLinesTheDashAndTheVersions)
{
    EXPECT_EQ(Feedback::body(QStringLiteral("0.1.0"), QStringLiteral("4cd920e"), QStringLiteral("Debian GNU/Linux 12 (bookworm)")),
              QStringLiteral("What's working, what isn't, or what would you like Kestova to do next?\n\n\n\n"
                             "\u2014\nKestova 0.1.0 (4cd920e) \u00b7 Debian GNU/Linux 12 (bookworm)"));
}

TEST_F(FeedbackTest, TheMailAddressDecodesToTheSameTexts)
{
    struct Case {
        const char* name;
        QString system;
    };
    for (const Case& c : {Case{"plain", QStringLiteral("Debian GNU/Linux 12 (bookworm)")},
                          Case{"delimiters", QStringLiteral("Linux+X & Y=Z #1 100%")}}) {
        SCOPED_TRACE(c.name);
        const QString body = Feedback::body(QStringLiteral("0.1.0"), QStringLiteral("?"), c.system);
        const QUrl url = Feedback::mailUrl(body);
        ASSERT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(), QString::fromUtf8(BuildInfo::feedbackAddress));
        const QUrlQuery query(url);
        const auto items = query.queryItems(QUrl::FullyDecoded);
        ASSERT_EQ(items.size(), 2);
        EXPECT_EQ(items[0], qMakePair(QStringLiteral("subject"), QStringLiteral("Kestova feedback")));
        EXPECT_EQ(items[1].first, QStringLiteral("body"));
        EXPECT_EQ(items[1].second, body);
        EXPECT_FALSE(items[1].second.endsWith(QLatin1Char('\n')));
        // What a mail application receives: nothing a query may not hold as it is.
        const QByteArray encoded = url.toEncoded();
        EXPECT_FALSE(encoded.contains(' '));
        EXPECT_FALSE(encoded.contains('\n'));
        EXPECT_FALSE(encoded.contains('+'));
        EXPECT_TRUE(encoded.contains("%E2%80%94"));
        EXPECT_TRUE(encoded.contains("%C2%B7"));
    }
}

TEST_F(FeedbackTest, AMailAppTakesTheMailAndNothingIsCopied)
{
    desktop->urlsOpen = true;
    Feedback::send(*desktop);
    ASSERT_EQ(desktop->urls.size(), 1);
    EXPECT_EQ(desktop->urls.first().scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(desktop->copied.isEmpty());
    EXPECT_TRUE(desktop->alerts.isEmpty());
}

TEST_F(FeedbackTest, WithoutAMailAppTheAddressIsCopiedAndTheAlertSaysSo)
{
    // The real desktop services: the offscreen platform has no application for mailto.
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* previous = new QMimeData;
    previous->setHtml(QStringLiteral("<b>old</b>"));
    previous->setText(QStringLiteral("old"));
    clipboard->setMimeData(previous);

    QtDesktop real;
    QString title;
    QString text;
    int alerts = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++alerts;
            title = box->text();
            text = box->informativeText();
            EXPECT_EQ(box->buttons().size(), 1);
            box->accept();
        }
    });
    closer.start(10);
    Feedback::send(real);
    closer.stop();

    const QString address = QString::fromUtf8(BuildInfo::feedbackAddress);
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(title, QStringLiteral("Email us at ") + address);
    EXPECT_EQ(text, QStringLiteral("No email app is set up on this computer, so the address has been copied for you."));
    const QMimeData* now = clipboard->mimeData();
    ASSERT_TRUE(now);
    EXPECT_EQ(now->formats(), QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(now->text(), address);
}

} // namespace
