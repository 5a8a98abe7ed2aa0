// The settings file on disk: what reading finds in good, damaged and unreadable
// files, and what writing leaves behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ui/settings_file.h"

namespace quillon {
namespace {

void write_bytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(SettingsFile, ReadingFindsTheValuesOrSaysWhyTheFileWasNotUsed) {
  const struct {
    const char* what;
    QByteArray contents;  // empty: no file; "/": a folder in its place
    SettingValues values;
    bool problem;
  } cases[] = {
      {"no file", "", {}, false},
      {"commas without quotes are one value",
       "[audio]\ncapture_device=plughw:CARD=PCH,DEV=0\n[later]\nkey=1\n",
       {{kCaptureDeviceKey, "plughw:CARD=PCH,DEV=0"}, {"later/key", "1"}},
       false},
      {"a line with no name",
       "[audio]\ncapture_device=pulse\n[push_to_talk]\n=F9\n",
       {{kCaptureDeviceKey, "pulse"}},
       false},
      {"an unclosed group", "[audio\ncapture_device=pulse\n", {}, true},
      {"binary garbage", QByteArray("\xff\xfe\x00\x01[\x02", 6), {}, true},
      {"a folder", "/", {}, true},
      // Qt's binary values, which no Quillon writes; a damaged length made
      // Qt ask for 60 GB and end the program.
      {"a binary value", "[audio]\nv=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x6QPoint\\0\\x1\\0)\n", {}, true},
      {"a binary list item", "[audio]\nv=a, \"@Variant(\\0)\"\n", {}, true},
      {"text that begins with @",
       "[audio]\ncapture_device=@@Variant(x)\n",
       {{kCaptureDeviceKey, "@Variant(x)"}},
       false},
  };
  for (const auto& c : cases) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillon.ini");
    if (c.contents == "/") QDir(dir.path()).mkdir("quillon.ini");
    if (!c.contents.isEmpty() && c.contents != "/") write_bytes(path, c.contents);
    const SettingsFileRead read = read_settings_file(path.toStdString());
    EXPECT_EQ(read.values, c.values) << c.what;
    EXPECT_EQ(!read.problem.empty(), c.problem) << c.what << ": " << read.problem;
  }
}

TEST(SettingsFile, AListReadsBackItemByItemWhateverItsItemsHold) {
  const std::string lists[] = {
      "",
      "A=a",
      "帝国时代=title:Age of Empires, II",
      "A=a\nB=title:x, y\nC=title:\"quoted\" = ;",
      "A=a\n",                              // an empty last item
      std::string("A=\0a\nB=b", 9) + "\n",  // Qt marks an item with a NUL
  };
  for (const std::string& list : lists) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("quillon.ini").toStdString();
    const SettingValues values{{kTiesKey, list}, {kCaptureDeviceKey, "plughw:CARD=PCH,DEV=0"}};
    ASSERT_EQ(write_settings_file(path, values), std::nullopt);
    EXPECT_EQ(read_settings_file(path).values, values) << list;
  }
  QTemporaryDir dir;
  const std::string nothing = dir.filePath("nothing.ini").toStdString();
  ASSERT_EQ(write_settings_file(nothing, {}), std::nullopt);
  EXPECT_EQ(read_settings_file(nothing).values, SettingValues{});
}

TEST(SettingsFile, ADamagedFileMeansTheDefaultsUntilAChangeReplacesIt) {
  QTemporaryDir dir;
  const QString path = dir.filePath("new/folder/quillon.ini");
  const SettingValues values{{kCaptureDeviceKey, "plughw:CARD=U0,DEV=0"}, {"later/名字", "耳机 = \"引号\""}};
  EXPECT_EQ(write_settings_file(path.toStdString(), values), std::nullopt);
  EXPECT_EQ(read_settings_file(path.toStdString()).values, values);

  write_bytes(path, "[audio\ncapture_device=hw:7\n");
  SettingsKeeper settings = load_settings(path.toStdString(), {});
  EXPECT_EQ(settings.current().capture_device, "default");
  EXPECT_EQ(settings.change([](Settings& s) { s.capture_device = "pulse"; }), std::nullopt);
  EXPECT_EQ(load_settings(path.toStdString(), {}).current().capture_device, "pulse");
  EXPECT_EQ(QDir(dir.filePath("new/folder")).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no leftovers";
}

}  // namespace
}  // namespace quillon
