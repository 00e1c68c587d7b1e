// Names a drive may hold: the longest names and paths, control characters, quotes, markup, line
// separators and bytes that are not UTF-8. The wall lists each exactly, the manifest stays valid
// JavaScript, and a second run processes none of them again.
#include "engine/run/Indexer.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;

std::string hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

/// Relative paths of hostile names, each a real photo.
std::vector<std::string> hostileNames(const fs::path& src)
{
    std::vector<std::string> names = {
        std::string(251, 'n') + ".jpg",                  // 255 bytes, the longest name
        [] { std::string s; for (int i = 0; i < 125; ++i) s += "\xc3\xa9"; return s + "x.jpg"; }(),
        "new\nline.jpg",
        "tab\there.jpg",
        "quote\"s'and`.jpg",
        "back\\slash.jpg",
        "\\udcff.jpg",                                   // looks like our escape of a byte, but is text
        "</script>.jpg",                                 // a folder "<" holding "script>.jpg"
        "<img src=x onerror=alert(1)>.jpg",
        "line\xe2\x80\xa8para\xe2\x80\xa9.jpg",          // U+2028, U+2029
        "ctrl\x01\x1b\x7f.jpg",
        "bad\xff\xfe.jpg",
        "half\xc3.jpg",
        "surrogate\xed\xa0\x80.jpg",
        "overlong\xc0\xaf.jpg",
        "\xe2\x80\xa8/inside.jpg",                        // a folder named U+2028
    };
    // A path whose absolute form is just under PATH_MAX (4096 bytes with its terminating zero).
    std::string deep;
    const std::size_t room = 4000 - src.string().size() - 1;
    while (deep.size() + 201 + 10 < room)
        deep += std::string(200, 'd') + "/";
    deep += std::string(room - deep.size() - 4, 'p') + ".jpg";
    names.push_back(deep);
    return names;
}

/// The relative paths the manifest lists, as hex bytes, read by a real JavaScript engine; nothing
/// when node is not installed.
std::optional<std::set<std::string>> manifestPaths(const fs::path& manifest, const TempDir& dir, std::string& title)
{
    if (std::system("command -v node >/dev/null 2>&1") != 0)
        return std::nullopt;
    // Lone low surrogates stand for the bytes of a name that are not UTF-8.
    const fs::path script = dir.write("read-manifest.js", R"(
const vm = require('vm');
const fs = require('fs');
const window = {};
vm.runInNewContext(fs.readFileSync(process.argv[2], 'utf8'), { window });
const bytesOf = (s) => {
  const out = [];
  for (let i = 0; i < s.length; i++) {
    const c = s.charCodeAt(i);
    if (c >= 0xdc80 && c <= 0xdcff) { out.push(c - 0xdc00); continue; }
    const cp = s.codePointAt(i);
    if (cp > 0xffff) i++;
    out.push(...Buffer.from(String.fromCodePoint(cp), 'utf8'));
  }
  return Buffer.from(out).toString('hex');
};
console.log(bytesOf(window.GALLERY_TITLE));
for (const p of window.PHOTOS) console.log(bytesOf(p[1]));
)");
    const std::string command = "node '" + script.string() + "' '" + manifest.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    if (pclose(pipe) != 0)
        return std::set<std::string>{"<node could not run the manifest>"};
    std::set<std::string> paths;
    std::size_t start = 0;
    bool first = true;
    while (start < output.size()) {
        const auto end = output.find('\n', start);
        const std::string line = output.substr(start, end - start);
        if (first)
            title = line;
        else
            paths.insert(line);
        first = false;
        start = end == std::string::npos ? output.size() : end + 1;
    }
    return paths;
}

} // namespace

TEST(HostileNames, EveryNameIsListedExactlyInValidJavaScriptAndNotProcessedTwice)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path out = src / "_Photo Gallery";
    const auto names = hostileNames(src);
    const std::string photo = readFile(photos / "cameras/Canon_40D.jpg");
    std::set<std::string> expected;
    for (const auto& rel : names) {
        fs::create_directories((src / rel).parent_path());
        dir.write("src/" + rel, photo);
        ASSERT_TRUE(fs::exists(src / rel)) << hex(rel);
        expected.insert(hex(rel));
    }
    const auto before = snapshot(src, out);
    const std::string title = "Title</script>\xe2\x80\xa8\"\\\n\xff";

    int processed = -1;
    for (int run = 0; run < 2; ++run) {
        int reports = 0;
        Indexer job(src, out, title, true, [&](const JobUpdate& u) {
            if (const auto* t = std::get_if<JobUpdates::Thumbnails>(&u))
                reports = static_cast<int>(t->total);
        });
        const JobSummary summary = job.run();
        EXPECT_EQ(summary.photos, static_cast<std::int64_t>(names.size())) << "run " << run;
        EXPECT_EQ(summary.unreadable, 0) << "run " << run;
        if (run == 0)
            EXPECT_EQ(reports, static_cast<int>(names.size()));
        else
            processed = reports;
    }
    EXPECT_EQ(processed, 0) << "the second run processed photos again";
    EXPECT_EQ(snapshot(src, out), before);

    std::string titleRead;
    const auto listed = manifestPaths(out / "manifest.js", dir, titleRead);
    if (!listed)
        GTEST_SKIP() << "node is not installed; the manifest was not run";
    EXPECT_EQ(*listed, expected);
    EXPECT_EQ(titleRead, hex(title));
}
