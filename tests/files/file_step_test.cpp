#include "files/file_step.h"

#include <gtest/gtest.h>

#include "scripted_host.h"
#include "temp_dir.h"

namespace kavira {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

// Stands for "the user confirms the name the dialog offers".
const std::string kOffered = "<offered>";

class DialogHost : public test::ScriptedHost {
 public:
  std::optional<std::string> chooseFile(const FileRequest& request) override {
    std::optional<std::string> chosen = ScriptedHost::chooseFile(request);
    if (chosen == kOffered) return request.initialName;
    return chosen;
  }
};

ControllerImage Sample() {
  ControllerImage image;
  image.Sceny[5][7] = 0x42;
  image.PgmFade[3] = 0x99;
  image.ExtraScene = 0x0123;
  image.Midi[64].word = 0x8001;
  return image;
}

class FileStep : public ::testing::Test {
 protected:
  // The command's part: an area command under a file action.
  void Start(_akcja akcja, _obszar obszar, bool all) {
    link_.akcja = akcja;
    link_.obszar = obszar;
    link_.wszystko = all ? 1 : 0;
    link_.status = _file_;
  }
  // The main loop: steps while the link says `_file_`.
  void Run() {
    for (int i = 0; i < 10 && link_.status == _file_; ++i)
      RunFileStep(link_, image_, host_, dialog_);
  }
  std::string At(const std::string& name) const { return (dir_ / name).string(); }

  TempDir dir_;
  LinkState link_;
  ControllerImage image_;
  DialogHost host_;
  FileDialogState dialog_;
};

TEST_F(FileStep, SaveAllWritesTheThreeFilesUnderOneName) {
  image_ = Sample();
  host_.files = {At("a.K3s"), kOffered, kOffered};
  Start(_fsave_, _dane_, true);
  Run();

  ASSERT_EQ(host_.fileRequests.size(), 3U);
  const struct {
    int filter;
    const char* ext;
    std::string offered;
  } expected[] = {{1, "K3s", ""}, {2, "K3p", At("a.K3p")}, {3, "K3m", At("a.K3m")}};
  for (std::size_t i = 0; i < 3; ++i) {
    const FileRequest& r = host_.fileRequests[i];
    SCOPED_TRACE(i);
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, "Wybierz plik do zapisu :");
    EXPECT_EQ(r.filterIndex, expected[i].filter);
    EXPECT_EQ(r.defaultExt, expected[i].ext);
    EXPECT_EQ(r.initialName, expected[i].offered);
  }
  EXPECT_EQ(std::filesystem::file_size(At("a.K3s")), 261632U);
  EXPECT_EQ(std::filesystem::file_size(At("a.K3p")), 202U);
  EXPECT_EQ(std::filesystem::file_size(At("a.K3m")), 256U);
  EXPECT_EQ(link_.wszystko, 0);
  EXPECT_EQ(link_.status, _idle_);
  EXPECT_EQ(link_.akcja, _fsave_);
  EXPECT_EQ(dialog_.flags, kSaveFlags);
  EXPECT_EQ(host_.status[kPartArea], "\tPlik");
  EXPECT_FALSE(host_.menu.at(kEntryPowtorz));
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(FileStep, LoadAllReadsTheThreeFilesBack) {
  ASSERT_EQ(SaveDataFile(At("b.K3s"), DataArea::Scenes, Sample()), std::nullopt);
  ASSERT_EQ(SaveDataFile(At("b.K3p"), DataArea::Settings, Sample()), std::nullopt);
  ASSERT_EQ(SaveDataFile(At("b.K3m"), DataArea::Midi, Sample()), std::nullopt);
  host_.files = {At("b.K3s"), kOffered, kOffered};
  Start(_fread_, _dane_, true);
  Run();

  EXPECT_EQ(image_, Sample());
  ASSERT_EQ(host_.fileRequests.size(), 3U);
  EXPECT_FALSE(host_.fileRequests[0].save);
  EXPECT_EQ(host_.fileRequests[0].title, "Wybierz plik z danymi :");
  EXPECT_EQ(host_.fileRequests[2].initialName, At("b.K3m"));
  EXPECT_EQ(dialog_.flags, kOpenFlags);
  EXPECT_EQ(link_.wszystko, 0);
  EXPECT_EQ(link_.status, _idle_);
}

// Cancelling or failing half way through "&Wszystko" ends it: a later single action handles one file.
TEST_F(FileStep, AnAbortedAllRunDoesNotCarryIntoTheNextAction) {
  ASSERT_EQ(SaveDataFile(At("c.K3s"), DataArea::Scenes, Sample()), std::nullopt);
  const struct {
    const char* what;
    std::optional<std::string> second;  // the answer to the settings dialog
    _akcja akcjaAfter;
    std::size_t boxes;
  } cases[] = {
      {"cancelled", std::nullopt, _NA_, 0},
      {"missing file", At("missing.K3p"), _fread_, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    image_ = ControllerImage{};
    host_.boxes.clear();
    host_.fileRequests.clear();
    host_.files = {At("c.K3s"), c.second};
    Start(_fread_, _dane_, true);
    Run();
    EXPECT_EQ(link_.wszystko, 0);
    EXPECT_EQ(link_.status, _idle_);
    EXPECT_EQ(link_.akcja, c.akcjaAfter);
    EXPECT_EQ(host_.boxes.size(), c.boxes);
    EXPECT_EQ(image_.Sceny, Sample().Sceny);
    EXPECT_EQ(image_.PgmFade, ControllerImage{}.PgmFade);

    host_.fileRequests.clear();
    host_.files = {At("c.K3s")};
    link_.akcja = _fread_;
    link_.obszar = _dane_;
    link_.status = _file_;
    Run();
    EXPECT_EQ(host_.fileRequests.size(), 1U);
    EXPECT_EQ(link_.status, _idle_);
  }
}

TEST_F(FileStep, FailuresShowTheirMessageAndEndTheRun) {
  WriteAll(dir_ / "short.K3p", std::vector<std::uint8_t>(150, 1));
  const struct {
    const char* what;
    std::string file;
    _akcja akcja;
    std::string text;
    const char* caption;
  } cases[] = {
      {"missing", At("none.K3p"), _fread_, "Plik " + At("none.K3p") + " nie istnieje !", "Ostrzeżenie"},
      {"short", At("short.K3p"), _fread_, At("short.K3p") + " :\nBłąd odczytu !", "Niepowodzenie"},
      {"no folder", At("short.K3p/x.K3p"), _fsave_, "Błąd otwarcia pliku !", "Niepowodzenie"},
  };
  const ControllerImage before = Sample();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    image_ = before;
    host_.boxes.clear();
    host_.files = {c.file};
    Start(c.akcja, _sync_, true);
    Run();
    ASSERT_EQ(host_.boxes.size(), 1U);
    EXPECT_EQ(host_.boxes[0].text, c.text);
    EXPECT_EQ(host_.boxes[0].caption, c.caption);
    EXPECT_EQ(host_.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(host_.boxes[0].buttons, Buttons::Ok);
    EXPECT_EQ(image_, before);
    EXPECT_EQ(link_.status, _idle_);
    EXPECT_EQ(link_.wszystko, 0);
    EXPECT_EQ(link_.akcja, c.akcja);
  }
}

TEST_F(FileStep, CancellingTheFirstDialogChangesNothing) {
  image_ = Sample();
  host_.files = {std::nullopt};
  Start(_fread_, _dane_, false);
  Run();
  EXPECT_EQ(image_, Sample());
  EXPECT_EQ(link_.akcja, _NA_);
  EXPECT_EQ(link_.status, _idle_);
  EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(FileStep, AnAreaOrActionItCannotHandleIsReported) {
  const struct {
    _akcja akcja;
    _obszar obszar;
    const char* text;
  } cases[] = {
      {_fread_, _version_, "Błędny obszar : 3 !"},
      {_fsave_, _upg_, "Błędny obszar : 4 !"},
      {_write_, _dane_, "Błędna akcja : 0 !"},
      {_verify_, _midi_, "Błędna akcja : 2 !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    host_.boxes.clear();
    host_.fileRequests.clear();
    Start(c.akcja, c.obszar, true);
    Run();
    ASSERT_EQ(host_.boxes.size(), 1U);
    EXPECT_EQ(host_.boxes[0].text, c.text);
    EXPECT_EQ(host_.boxes[0].caption, "Mamy problem");
    EXPECT_EQ(host_.boxes[0].icon, Icon::Exclamation);
    EXPECT_TRUE(host_.fileRequests.empty());
    EXPECT_EQ(link_.status, _idle_);
    EXPECT_EQ(link_.akcja, _NA_);
    EXPECT_EQ(link_.wszystko, 0);
  }
}

TEST_F(FileStep, TheLastNameIsOfferedAgainAndANameWithoutExtensionGetsOne) {
  host_.files = {At("show")};
  Start(_fsave_, _midi_, false);
  Run();
  host_.files = {kOffered};
  Start(_fsave_, _dane_, false);
  Run();
  EXPECT_EQ(host_.fileRequests.at(1).initialName, At("show"));

  host_.files = {At("show"), kOffered, kOffered};
  Start(_fsave_, _dane_, true);
  Run();
  ASSERT_EQ(host_.fileRequests.size(), 5U);
  EXPECT_EQ(host_.fileRequests[3].initialName, At("show.K3p"));
  EXPECT_EQ(host_.fileRequests[4].initialName, At("show.K3m"));
  EXPECT_EQ(std::filesystem::file_size(At("show")), 261632U);
  EXPECT_EQ(std::filesystem::file_size(At("show.K3m")), 256U);
}

TEST(ReplaceExtension, ReplacesTheLastComponentsExtensionOrAppendsOne) {
  const std::string longFolder(300, 'd');
  const struct {
    std::string name;
    const char* ext;
    std::string expected;
  } cases[] = {
      {"a.K3s", "K3p", "a.K3p"},
      {"/x/show.data", "K3m", "/x/show.K3m"},
      {"/x/show.", "K3p", "/x/show.K3p"},
      {"/x.v2/show", "K3p", "/x.v2/show.K3p"},
      {"show", "K3m", "show.K3m"},
      {"/x/a.b.K3s", "K3p", "/x/a.b.K3p"},
      {"/" + longFolder + "/" + longFolder + ".K", "K3p", "/" + longFolder + "/" + longFolder + ".K3p"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceExtension(c.name, c.ext), c.expected) << c.name;
}

}  // namespace
}  // namespace kavira
