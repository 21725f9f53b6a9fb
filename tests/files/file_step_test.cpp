#include "files/file_step.h"

#include <gtest/gtest.h>

#include "link/transfer_engine.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace kavira {
namespace {

// Stands for "the user confirms the name the dialog offers".
const std::string kOffered = "<offered>";

class DialogHost : public test::ScriptedHost {
 public:
  std::optional<std::string> chooseFile(const FileRequest& request) override {
    std::optional<std::string> chosen = ScriptedHost::chooseFile(request);
    return chosen == kOffered ? request.initialName : chosen;
  }
};

ControllerImage Sample() {
  ControllerImage image;
  image.Sceny[5][7] = 0x42;
  image.PgmFade[3] = 0x99;
  image.Midi[64].word = 0x8001;
  return image;
}

// The file step as the engine runs it, started as an area command under a file action starts it.
class FileStep : public ::testing::Test {
 protected:
  FileStep() {
    engine_.fileStep = [this](const LinkState& link) { return RunFileStep(link, image_, host_, dialog_); };
  }
  void Run(_akcja akcja, std::uint32_t unit, bool all, std::deque<std::optional<std::string>> files) {
    host_.files = std::move(files);
    engine_.startFileStep({akcja, unit, all ? kMidiUnit : unit, all});
    for (int i = 0; i < 10 && link().status == _file_; ++i)
      engine_.step();
  }
  // A step for an area or action the file step cannot handle.
  void RunOn(_akcja akcja, _obszar obszar) {
    LinkState link;
    link.akcja = akcja;
    link.obszar = obszar;
    host_.files = {At("x")};
    end_ = RunFileStep(link, image_, host_, dialog_);
  }
  const LinkState& link() const { return engine_.link(); }
  // The name as the file dialog gives it: UTF-8.
  std::string At(const std::string& name) const { return PathToUtf8(dir_ / name); }

  test::TempDir dir_;
  ControllerImage image_;
  DialogHost host_;
  FileDialogState dialog_;
  ManualClock clock_;
  TransferEngine engine_{image_, host_, clock_};
  FileStepEnd end_ = FileStepEnd::Done;
};

// The name has letters that no narrow code page of Windows holds all of.
TEST_F(FileStep, AllSavesThenLoadsTheThreeFilesUnderOneName) {
  image_ = Sample();
  Run(_fsave_, 0, true, {At("Próba generalna żółta.K3s"), kOffered, kOffered});
  const struct {
    int filter;
    const char* ext;
    std::string offered;
  } expected[] = {{1, "K3s", ""},
                  {2, "K3p", At("Próba generalna żółta.K3p")},
                  {3, "K3m", At("Próba generalna żółta.K3m")}};
  ASSERT_EQ(host_.fileRequests.size(), 3U);
  for (std::size_t i = 0; i < 3; ++i) {
    const FileRequest& r = host_.fileRequests[i];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title.Polish(), "Wybierz plik do zapisu :");
    EXPECT_EQ(r.filterIndex, expected[i].filter);
    EXPECT_EQ(r.defaultExt, expected[i].ext);
    EXPECT_EQ(r.initialName, expected[i].offered);
  }
  EXPECT_EQ(dir_.names(), (std::vector<std::string>{"Próba generalna żółta.K3m", "Próba generalna żółta.K3p",
                                                    "Próba generalna żółta.K3s"}));
  EXPECT_EQ(std::filesystem::file_size(dir_ / "Próba generalna żółta.K3m"), 256U);
  EXPECT_EQ(link().wszystko, 0);
  EXPECT_EQ(link().status, _idle_);
  EXPECT_EQ(host_.status[kPartArea], "\tPlik");
  EXPECT_FALSE(host_.menu.at(kEntryRepeat));

  image_ = ControllerImage{};
  Run(_fread_, 0, true, {At("Próba generalna żółta.K3s"), kOffered, kOffered});
  EXPECT_EQ(image_, Sample());
  EXPECT_EQ(host_.fileRequests.back().title.Polish(), "Wybierz plik z danymi :");
  EXPECT_EQ(host_.fileRequests.back().initialName, At("Próba generalna żółta.K3m"));
  EXPECT_EQ(link().wszystko, 0);
  EXPECT_TRUE(host_.boxes.empty());
}

// A cancel or failure half way through "&Wszystko" ends it, so a later single load handles one file.
TEST_F(FileStep, AnAbortedAllRunDoesNotCarryIntoTheNextAction) {
  ASSERT_EQ(SaveDataFile(dir_ / "c.K3s", DataArea::Scenes, Sample()), std::nullopt);
  const struct {
    std::optional<std::string> second;
    _akcja akcjaAfter;
    std::vector<std::string> captions;
  } cases[] = {{std::nullopt, _NA_, {}}, {At("missing.K3p"), _fread_, {"Ostrzeżenie"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second.value_or("second file cancelled"));
    image_ = ControllerImage{};
    host_.boxes.clear();
    Run(_fread_, 0, true, {At("c.K3s"), c.second});
    EXPECT_EQ(link().wszystko, 0);
    EXPECT_EQ(link().status, _idle_);
    EXPECT_EQ(link().akcja, c.akcjaAfter);
    std::vector<std::string> captions;
    for (const auto& b : host_.boxes)
      captions.push_back(b.caption);
    EXPECT_EQ(captions, c.captions);
    EXPECT_EQ(image_.Sceny, Sample().Sceny);
    EXPECT_EQ(image_.PgmFade, ControllerImage{}.PgmFade);

    host_.fileRequests.clear();
    Run(_fread_, 0, false, {At("c.K3s")});
    EXPECT_EQ(host_.fileRequests.size(), 1U);
  }
}

TEST_F(FileStep, FailuresShowTheirMessageAndChangeNothing) {
  test::WriteAll(dir_ / "short.K3p", test::Bytes(150, 1));
  const struct {
    std::string file;
    _akcja akcja;
    std::string text;
  } cases[] = {
      {At("short.K3p"), _fread_,
       At("short.K3p") + " :\nBłąd odczytu !\nit has 150 bytes, the file needs 202"},
      {At("short.K3p/x.K3p"), _fsave_, "Błąd otwarcia pliku !\n" + At("short.K3p") + " is not a folder"},
  };
  image_ = Sample();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    host_.boxes.clear();
    Run(c.akcja, kSettingsUnit, false, {c.file});
    EXPECT_EQ(host_.boxes.size(), 1U);
    EXPECT_EQ(host_.firstBox().text, c.text);
    EXPECT_EQ(host_.firstBox().caption, "Niepowodzenie");
    EXPECT_EQ(host_.firstBox().icon, Icon::Stop);
    EXPECT_EQ(image_, Sample());
    EXPECT_EQ(link().status, _idle_);
  }
}

// The three files of an "&Wszystko" save are replaced together after the last dialog: a cancel or a
// file that cannot be saved on the way replaces none of them.
TEST_F(FileStep, AnAllSaveReplacesTheThreeFilesTogether) {
  test::WriteAll(dir_ / "a.K3s", test::Bytes(261632, 0x77));
  std::filesystem::create_directory(dir_ / "folder.K3m");
  image_ = Sample();
  const struct {
    std::optional<std::string> third;
    std::string box;
  } cases[] = {
      {std::nullopt, ""},
      {At("folder.K3m"), "Błąd otwarcia pliku !\nit is a folder, not a file\nNie zastąpiono żadnego pliku."},
  };
  for (const auto& c : cases) {
    host_.boxes.clear();
    Run(_fsave_, _dane_, true, {At("a.K3s"), kOffered, c.third});
    EXPECT_EQ(host_.boxes.empty() ? "" : host_.boxes[0].text, c.box);
    EXPECT_EQ(test::ReadAll(dir_ / "a.K3s"), test::Bytes(261632, 0x77));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "a.K3p"));
    EXPECT_TRUE(dialog_.pendingSaves.empty());
  }
  Run(_fsave_, _dane_, true, {At("a.K3s"), kOffered, kOffered});
  ControllerImage loaded;
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    const std::string path = At(std::string("a.") + DataFileExtension(area));
    EXPECT_FALSE(LoadDataFile(path, area, loaded).has_value()) << path;
  }
  EXPECT_EQ(loaded, Sample());
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    host_.boxes.clear();
    RunOn(c.akcja, c.obszar);
    EXPECT_EQ(host_.boxes.size(), 1U);
    EXPECT_EQ(host_.firstBox().text, c.text);
    EXPECT_EQ(host_.firstBox().caption, "Mamy problem");
    EXPECT_EQ(host_.firstBox().icon, Icon::Exclamation);
    EXPECT_TRUE(host_.fileRequests.empty());
    EXPECT_EQ(end_, FileStepEnd::Cancelled);  // the engine goes idle with no action left
  }
}

TEST_F(FileStep, TheLastNameIsOfferedAgainAndANameWithoutExtensionGetsOne) {
  Run(_fsave_, kMidiUnit, false, {At("show")});
  Run(_fsave_, 0, true, {kOffered, kOffered, kOffered});
  ASSERT_EQ(host_.fileRequests.size(), 4U);
  EXPECT_EQ(host_.fileRequests[1].initialName, At("show"));
  EXPECT_EQ(host_.fileRequests[2].initialName, At("show.K3p"));
  EXPECT_EQ(host_.fileRequests[3].initialName, At("show.K3m"));
  EXPECT_EQ(std::filesystem::file_size(dir_ / "show"), 261632U);

  const std::string longName = "/" + std::string(300, 'd') + "/" + std::string(300, 'f');
  const struct {
    std::string name, expected;
  } cases[] = {
      {"/x/show.data", "/x/show.K3p"}, {"/x/show.", "/x/show.K3p"},          {"/x.v2/show", "/x.v2/show.K3p"},
      {"/x/a.b.K3s", "/x/a.b.K3p"},    {longName + ".K", longName + ".K3p"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceExtension(c.name, "K3p"), c.expected) << c.name;
}

}  // namespace
}  // namespace kavira
