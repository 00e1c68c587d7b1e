// The model's sentences in German: numbers, times, dates and plural forms follow the language,
// whatever locale data the machine has.
#include "GermanEnvironment.h"

#include "engine/base/JobErrors.h"
#include "model/FailureText.h"
#include "model/Model.h"
#include "model/ProgressText.h"
#include "model/Recent.h"
#include "model/ResultText.h"
#include "model/TextFormat.h"
#include "ui/states/ModelStates.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial)
{
    return ModelStates::summary(photos, duplicates, undated, unreadable, partial,
                                "/home/ana/Bilder/Urlaub/_Photo Gallery/index.html");
}

} // namespace

TEST(GermanText, theUsersLanguageIsFoundAndNumbersFollowIt)
{
    const auto de = german();
    EXPECT_EQ(de->language(), QStringLiteral("de"));
    EXPECT_EQ(TextFormat::count(12345), QStringLiteral("12.345"));
    EXPECT_EQ(TextFormat::count(1), QStringLiteral("1"));
}

TEST(GermanText, timesLeftAreSpelledOutInGerman)
{
    const auto de = german();
    EXPECT_EQ(Model::duration(59.9), QStringLiteral("weniger als eine Minute"));
    EXPECT_EQ(Model::duration(60), QStringLiteral("etwa 1 Minute"));
    EXPECT_EQ(Model::duration(300), QStringLiteral("etwa 5 Minuten"));
    EXPECT_EQ(Model::duration(3600), QStringLiteral("etwa 1 Stunde"));
    EXPECT_EQ(Model::duration(4800), QStringLiteral("etwa 1 Stunde, 20 Minuten"));
}

TEST(GermanText, progressReadsAsOneGermanSentence)
{
    const auto de = german();
    EXPECT_EQ(ProgressText::forUpdate(JobUpdates::Scanning{2512}),
              (RunProgress{QStringLiteral("Fotos werden gesucht…"), QStringLiteral("bisher 2.512 gefunden"), std::nullopt}));
    const RunProgress thumbnails = ProgressText::forUpdate(JobUpdates::Thumbnails{1204, 3000, 300.0});
    EXPECT_EQ(thumbnails.status, QStringLiteral("Vorschaubilder werden erstellt"));
    EXPECT_EQ(thumbnails.detail, QStringLiteral("1.204 von 3.000 · noch etwa 5 Minuten"));
    EXPECT_EQ(ProgressText::forUpdate(JobUpdates::Thumbnails{3000, 3000, 1.0}).detail, QStringLiteral("3.000 von 3.000"));
    EXPECT_EQ(ProgressText::forUpdate(JobUpdates::Writing{}).status, QStringLiteral("Ihre Fotowand wird erstellt…"));
}

TEST(GermanText, resultsUseGermanPluralForms)
{
    const auto de = german();
    EXPECT_EQ(ResultText::of(summary(1, 0, 0, 0, false), QStringLiteral("Urlaub")).headline, QStringLiteral("1 Foto bereit"));
    EXPECT_EQ(ResultText::of(summary(1500, 0, 0, 0, false), QStringLiteral("Urlaub")).headline,
              QStringLiteral("1.500 Fotos bereit"));
    EXPECT_EQ(ResultText::of(summary(250, 0, 0, 0, true), QStringLiteral("Urlaub")).headline,
              QStringLiteral("Vorzeitig angehalten: bisher 250 Fotos"));
    EXPECT_EQ(ResultText::of(summary(0, 0, 0, 0, false), QStringLiteral("Urlaub")).details,
              QStringList{QStringLiteral("Nichts in Urlaub sah nach einem Foto aus (JPEG, HEIC, PNG, RAW und so weiter).")});

    const ResultText one = ResultText::of(summary(40, 1, 1, 1, false), QStringLiteral("Urlaub"));
    EXPECT_EQ(one.details, (QStringList{QStringLiteral("1 doppelte Kopie nur einmal gezeigt"),
                                        QStringLiteral("1 Foto hat kein Datum und steht am Ende"),
                                        QStringLiteral("1 Datei war nicht lesbar und wurde übersprungen")}));
    const ResultText many = ResultText::of(summary(40, 310, 57, 1024, false), QStringLiteral("Urlaub"));
    EXPECT_EQ(many.details, (QStringList{QStringLiteral("310 doppelte Kopien nur einmal gezeigt"),
                                         QStringLiteral("57 Fotos haben kein Datum und stehen am Ende"),
                                         QStringLiteral("1.024 Dateien waren nicht lesbar und wurden übersprungen")}));
    JobSummary phone = summary(1204, 0, 3, 0, false);
    phone.videos = 37;
    phone.undatedVideos = 2;
    EXPECT_EQ(ResultText::of(phone, QStringLiteral("Handy")).headline, QStringLiteral("1.204 Fotos und 37 Videos bereit"));
    EXPECT_EQ(ResultText::of(phone, QStringLiteral("Handy")).details,
              QStringList{QStringLiteral("3 Fotos und 2 Videos haben kein Datum und stehen am Ende")});
    phone.undated = 0;
    phone.undatedVideos = 1;
    EXPECT_EQ(ResultText::of(phone, QStringLiteral("Handy")).details,
              QStringList{QStringLiteral("1 Video hat kein Datum und steht am Ende")});
    EXPECT_EQ(many.savedAt, QStringLiteral("Die Fotowand ist unter /home/ana/Bilder/Urlaub/_Photo Gallery gespeichert. Sie "
                                           "öffnet sich in Ihrem Webbrowser, und Sie können sie jederzeit öffnen, auch "
                                           "ohne diese App."));
}

TEST(GermanText, relativeDatesAreGerman)
{
    const auto de = german();
    const QDateTime now = QDateTime(QDate(2024, 5, 15), QTime(12, 0), Qt::UTC);
    const Recent recent{QStringLiteral("/a"), QStringLiteral("/a/i.html"), QStringLiteral("a"), 1, now.addDays(-1)};
    EXPECT_EQ(RecentText::caption(recent, now), QStringLiteral("1 Foto · gestern aktualisiert"));
    Recent many = recent;
    many.photos = 12480;
    many.updated = now.addDays(-21);
    EXPECT_EQ(RecentText::caption(many, now), QStringLiteral("12.480 Fotos · vor 3 Wochen aktualisiert"));
}

TEST(GermanText, theEnginesFailuresReachTheUserInGerman)
{
    const auto de = german();
    EXPECT_EQ(FailureText::of(JobError(JobErrorTexts::writeFailed, {"/media/ana/SD/_Photo Gallery/manifest.js"}, ENOSPC)),
              QStringLiteral("„/media/ana/SD/_Photo Gallery/manifest.js“ konnte nicht geschrieben werden: Kein Platz mehr "
                             "auf dem Gerät."));
    EXPECT_EQ(FailureText::of(JobError(JobErrorTexts::templateMissing, {})),
              QStringLiteral("Der App fehlt die Vorlage für die Galerie. Bitte laden Sie Kestova erneut herunter."));
    // A file name that holds a placeholder is shown as it is.
    EXPECT_EQ(FailureText::of(JobError(JobErrorTexts::linkRefused, {"/x/%2"})),
              QStringLiteral("„/x/%2“ ist eine Verknüpfung an einen anderen Ort. Kestova schreibt eine Fotowand nur in "
                             "einen echten Ordner, deshalb wurde nichts geschrieben."));
}

TEST(GermanText, withoutTheTranslationEverythingIsEnglishAgain)
{
    const auto en = english();
    EXPECT_EQ(en->language(), QStringLiteral("en"));
    EXPECT_EQ(ResultText::of(summary(1, 0, 1, 1, false), QStringLiteral("Holiday")).details,
              (QStringList{QStringLiteral("1 photo has no date and is grouped at the end"),
                           QStringLiteral("1 file couldn't be read and was skipped")}));
    EXPECT_EQ(ResultText::of(summary(1, 0, 0, 0, false), QStringLiteral("Holiday")).headline, QStringLiteral("1 photo ready"));
    EXPECT_EQ(Model::duration(300), QStringLiteral("about 5 minutes"));
    EXPECT_EQ(FailureText::of(JobError(JobErrorTexts::writeFailed, {"/x/manifest.js"}, ENOSPC)),
              QStringLiteral("Couldn't write “/x/manifest.js”: No space left on device."));
}
