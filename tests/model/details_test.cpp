// What a wall's details say of each photo (camera, exposure, size, place), read by kestova-cli
// from photos whose EXIF and container tags are written here by exiv2 and ffmpeg, as cameras
// and phones write them; and how an update keeps them.
#include "TestSupport.h"

#include "model/PathText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace TestSupport;

namespace {

QString arg(const fs::path& path) { return PathText::fromPath(path); }

std::string run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(300000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << " " << args.join(' ').toStdString() << "\n"
                                     << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

/// A small JPEG of one colour (so that no two are duplicates) with these EXIF tags set.
void jpegWith(const fs::path& file, const QString& colour, const QStringList& tags)
{
    fs::create_directories(file.parent_path());
    run(QStringLiteral("ffmpeg"), {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "color=c=" + colour + ":s=64x48", "-frames:v",
                                   "1", arg(file)});
    if (tags.isEmpty())
        return;
    QStringList args;
    for (const QString& tag : tags)
        args << "-M" << "set " + tag;
    args << arg(file);
    run(QStringLiteral("exiv2"), args);
}

/// What the wall's details say of one photo, by its file name.
struct Shown {
    QString camera, lens;
    QJsonArray place;   ///< [town, region, country], empty when none
    double size = 0;
    QJsonArray exposure; ///< [seconds, fNumber, iso, focal, focal35], empty when none
    QJsonArray geo;      ///< [lat, lon], empty when none
};

QJsonObject script(const fs::path& file, const std::string& open, const std::string& close)
{
    std::string text = readText(file);
    EXPECT_TRUE(text.starts_with(open) && text.ends_with(close)) << file;
    text = text.substr(open.size(), text.size() - open.size() - close.size());
    // The two escapes of a JavaScript string between single quotes.
    std::string json;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '\''))
            ++i;
        json += text[i];
    }
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
}

std::map<QString, Shown> details(const fs::path& wall)
{
    const QJsonObject index = script(wall / "wall.js", "window.KESTOVA_WALL=", ";");
    std::map<QString, Shown> shown;
    for (const QJsonValue p : index["pieces"].toArray()) {
        const QJsonObject piece = script(wall / p["file"].toString().toStdString(), "kestovaPiece('", "');");
        const QString detailsFile = p["details"].toString();
        EXPECT_EQ(detailsFile.toStdString(), p["file"].toString().chopped(3).toStdString() + "-details.js");
        const QJsonObject d = script(wall / detailsFile.toStdString(), "kestovaDetails('", "');");
        EXPECT_EQ(d["generation"], index["generation"]);
        const QJsonArray names = piece["name"].toArray();
        for (int i = 0; i < names.size(); ++i) {
            Shown s;
            const int camera = d["camera"][i].toInt(-2), lens = d["lens"][i].toInt(-2), place = d["place"][i].toInt(-2);
            s.camera = camera >= 0 ? d["cameras"][camera].toString() : QString();
            s.lens = lens >= 0 ? d["lenses"][lens].toString() : QString();
            s.place = place >= 0 ? d["places"][place].toArray() : QJsonArray();
            EXPECT_TRUE(camera >= -1 && lens >= -1 && place >= -1) << "every entry has its indexes";
            s.size = d["size"][i].toDouble();
            shown[names[i].toString()] = s;
        }
        for (const QJsonValue e : d["exposure"].toArray()) {
            QJsonArray values = e.toArray();
            const QString name = names[values.takeAt(0).toInt()].toString();
            shown[name].exposure = values;
        }
        for (const QJsonValue g : d["geo"].toArray()) {
            QJsonArray values = g.toArray();
            shown[names[values.takeAt(0).toInt()].toString()].geo = values;
        }
    }
    return shown;
}

/// Each thumbnail's modification time in nanoseconds: a thumbnail made again has a new one.
std::map<std::string, std::int64_t> thumbnailTimes(const fs::path& wall)
{
    std::map<std::string, std::int64_t> times;
    for (const auto& e : fs::recursive_directory_iterator(wall / "thumbs")) {
        struct stat st{};
        if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0)
            times[e.path().filename().string()] = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return times;
}

QString build(const fs::path& root, const fs::path& wall)
{
    return QString::fromStdString(run(QStringLiteral(KESTOVA_CLI), {"build", arg(root), "--out", arg(wall)}));
}

QJsonArray array(std::initializer_list<QJsonValue> values) { return QJsonArray(values); }
std::string text(const QJsonArray& values) { return QJsonDocument(values).toJson(QJsonDocument::Compact).toStdString(); }

class Details : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
};

/// Rome's point in the gazetteer as degrees, minutes and seconds.
const QStringList romeGps{"Exif.GPSInfo.GPSLatitude 41/1 53/1 30948/1000", "Exif.GPSInfo.GPSLatitudeRef N",
                          "Exif.GPSInfo.GPSLongitude 12/1 30/1 40788/1000", "Exif.GPSInfo.GPSLongitudeRef E"};

QStringList gps(const QString& lat, char latRef, const QString& lon, char lonRef)
{
    return {"Exif.GPSInfo.GPSLatitude " + lat, QStringLiteral("Exif.GPSInfo.GPSLatitudeRef ") + latRef,
            "Exif.GPSInfo.GPSLongitude " + lon, QStringLiteral("Exif.GPSInfo.GPSLongitudeRef ") + lonRef};
}

} // namespace

TEST_F(Details, CameraExposureSizeAndPlaceOfEachPhotoAndVideo)
{
    Folder folder;
    const fs::path root = folder.path() / "photos";
    const fs::path wall = folder.path() / "wall";
    jpegWith(root / "rome.jpg", "red",
             QStringList{"Exif.Image.Make NIKON CORPORATION", "Exif.Image.Model NIKON D750", "Exif.Photo.ExposureTime 1/125",
                         "Exif.Photo.FNumber 28/10", "Exif.Photo.ISOSpeedRatings 100", "Exif.Photo.FocalLength 42/10",
                         "Exif.Photo.FocalLengthIn35mmFilm 26", "Exif.Photo.LensModel 24-70mm f/2.8"} + romeGps);
    jpegWith(root / "rio.jpg", "green",
             QStringList{"Exif.Image.Make Apple", "Exif.Image.Model iPhone 12 Pro"} +
                 gps("22/1 54/1 2448/100", 'S', "43/1 10/1 2244/100", 'W'));
    jpegWith(root / "ocean.jpg", "blue", gps("30/1 0/1 0/1", 'N', "40/1 0/1 0/1", 'W'));
    jpegWith(root / "highlands.jpg", "yellow", gps("64/1 12/1 0/1", 'N', "19/1 30/1 0/1", 'W'));
    // What cameras write for "unknown": 0/0 rationals, no fix at 0,0, a latitude past the pole.
    jpegWith(root / "nofix.jpg", "white",
             QStringList{"Exif.Photo.FNumber 0/0", "Exif.Photo.ExposureTime 0/0"} + gps("0/1 0/1 0/1", 'N', "0/1 0/1 0/1", 'E'));
    jpegWith(root / "pole.jpg", "gray", gps("100/1 0/1 0/1", 'N', "10/1 0/1 0/1", 'E'));
    jpegWith(root / "plain.jpg", "black", {});
    copyPhotos(root, {{"canon.jpg", "cameras/Canon_40D.jpg"}});
    // A HEIC keeps the EXIF of the JPEG it was made from.
    jpegWith(folder.path() / "source.jpg", "purple", QStringList{"Exif.Image.Make Canon", "Exif.Image.Model Canon EOS R5"} + romeGps);
    run(QStringLiteral("heif-enc"), {"-q", "50", "-o", arg(root / "rome.heic"), arg(folder.path() / "source.jpg")});
    run(QStringLiteral("ffmpeg"), {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "color=c=orange:s=64x48:r=10", "-t", "1",
                                   "-c:v", "libx264", "-movflags", "use_metadata_tags", "-metadata", "location=+45.4325+012.3345/",
                                   "-metadata", "com.apple.quicktime.make=Apple", "-metadata",
                                   "com.apple.quicktime.model=iPhone 12 Pro", arg(root / "venice.mov")});

    build(root, wall);
    const auto shown = details(wall);
    ASSERT_EQ(shown.size(), 10u);

    struct Row {
        QString name, camera, lens;
        QJsonArray place, exposure, geo;
    };
    const Row rows[] = {
        {"rome.jpg", "NIKON D750", "24-70mm f/2.8", array({"Rome", "Lazio", "IT"}), array({0.008, 2.8, 100, 4.2, 26}),
         array({41.89193, 12.51133})},
        {"rio.jpg", "Apple iPhone 12 Pro", "", array({"Rio de Janeiro", "Rio de Janeiro", "BR"}), {}, array({-22.9068, -43.1729})},
        {"ocean.jpg", "", "", {}, {}, array({30, -40})},
        {"highlands.jpg", "", "", array({"", "South", "IS"}), {}, array({64.2, -19.5})},
        {"nofix.jpg", "", "", {}, {}, {}},
        {"pole.jpg", "", "", {}, {}, {}},
        {"plain.jpg", "", "", {}, {}, {}},
        {"canon.jpg", "Canon EOS 40D", "", {}, array({0.00625, 7.1, 100, 135, 0}), {}},
        {"rome.heic", "Canon EOS R5", "", array({"Rome", "Lazio", "IT"}), {}, array({41.89193, 12.51133})},
        {"venice.mov", "Apple iPhone 12 Pro", "", array({"Venice", "Veneto", "IT"}), {}, array({45.4325, 12.3345})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        ASSERT_TRUE(shown.contains(row.name));
        const Shown& s = shown.at(row.name);
        EXPECT_EQ(s.camera, row.camera);
        EXPECT_EQ(s.lens, row.lens);
        EXPECT_EQ(text(s.place), text(row.place));
        EXPECT_EQ(text(s.exposure), text(row.exposure));
        ASSERT_EQ(s.geo.size(), row.geo.size());
        for (int i = 0; i < s.geo.size(); ++i)
            EXPECT_NEAR(s.geo[i].toDouble(), row.geo[i].toDouble(), 1e-4);
        EXPECT_EQ(s.size, double(fs::file_size(root / row.name.toStdString())));
    }
}

TEST_F(Details, AnUpdateKeepsThemAndAnOlderWallGetsThemWithoutNewThumbnails)
{
    Folder folder;
    const fs::path root = folder.path() / "photos";
    const fs::path wall = folder.path() / "wall";
    jpegWith(root / "rome.jpg", "red", QStringList{"Exif.Image.Make Canon", "Exif.Image.Model Canon EOS 5D"} + romeGps);
    jpegWith(root / "plain.jpg", "blue", {});
    build(root, wall);
    const auto first = details(wall);
    const auto thumbs = thumbnailTimes(wall);
    ASSERT_EQ(thumbs.size(), 2u);

    // Nothing changed: nothing is made again, and the details are the same.
    build(root, wall);
    EXPECT_EQ(thumbnailTimes(wall), thumbs);
    EXPECT_EQ(text(details(wall).at("rome.jpg").place), text(first.at("rome.jpg").place));
    EXPECT_EQ(details(wall).at("rome.jpg").camera, "Canon EOS 5D");

    // A wall made before details were kept: its cache records end before them.
    const fs::path cache = wall / ".cache.json";
    QJsonObject records = QJsonDocument::fromJson(QByteArray::fromStdString(readText(cache))).object();
    for (const QString& rel : records.keys()) {
        QJsonArray record = records[rel].toArray();
        ASSERT_EQ(record.size(), 13) << rel.toStdString();
        while (record.size() > 12)
            record.removeLast();
        records[rel] = record;
    }
    writeText(cache, QJsonDocument(records).toJson(QJsonDocument::Compact).toStdString());
    build(root, wall);
    EXPECT_EQ(thumbnailTimes(wall), thumbs) << "only the metadata is read again";
    const auto caughtUp = details(wall);
    EXPECT_EQ(caughtUp.at("rome.jpg").camera, "Canon EOS 5D");
    EXPECT_EQ(text(caughtUp.at("rome.jpg").place), text(array({"Rome", "Lazio", "IT"})));
    EXPECT_EQ(caughtUp.at("plain.jpg").size, double(fs::file_size(root / "plain.jpg")));
    // And the old generation's details went with its pieces.
    int files = 0;
    for (const auto& e : fs::directory_iterator(wall / "data"))
        files += e.path().string().ends_with(".js") ? 1 : 0;
    EXPECT_EQ(files, 2) << "one piece and its details";
}
