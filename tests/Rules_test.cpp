// The input rules as tables: numbers from text, 16-bit rounding, dates, the general text form of
// a value, the schedule's text, error texts and the dispatcher's rule for errors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "about/frmSplash.h"
#include "attention/Attention.h"
#include "platform/Events.h"
#include "platform/test/Fakes.h"
#include "profile/clsProfileINI.h"
#include "scheduler/Main.h"
#include "scheduler/ScheduleCommand.h"

namespace duskline {
namespace {

using fakes::ErrorOf;

TEST(NumberFromText, ReadsWhatFitsThePattern) {
  // clang-format off
  const std::pair<const char*, double> cases[] = {
      {"12", 12}, {" 1 2\t", 12}, {"1\n2", 12}, {"-3.5", -3.5}, {"+7", 7}, {"1.2.3", 1.2},
      {".5", 0.5}, {"1e3", 1000}, {"1D2", 100}, {"2E-1", 0.2}, {"2d+2", 200}, {"3E", 3}, {"3Ex", 3},
      {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"&", 0}, {"&Ha", 10}, {"&hf", 15}, {"&H1F", 31},
      {"&HfG1", 15}, {"&O17", 15}, {"&o8", 0}, {"&X1", 0}, {"12:30", 12}, {"- 4", -4},
      {"&H 1 0", 16}, {"1e-400", 0}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(NumberFromText(text), expected) << text;
  EXPECT_EQ(ErrorOf([] { NumberFromText("1e400"); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { NumberFromText("&H" + std::string(300, 'F')); }), kErrOverflow);
}

TEST(RoundToInt16, HalvesGoToTheEvenNeighbourAndOnlySixteenBitsFit) {
  const std::pair<double, int> cases[] = {{2.5, 2},         {3.5, 4},           {-2.5, -2},
                                          {32767.4, 32767}, {-32768.5, -32768}, {0.4, 0}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundToInt16(value), expected) << value;
  for (double value : {32767.5, -32769.0, std::nan("")})
    EXPECT_EQ(ErrorOf([value] { RoundToInt16(value); }), kErrOverflow) << value;
}

TEST(ErrorTexts, NumberDescriptionAndReports) {
  const std::pair<int, const char*> cases[] = {
      {91, "Object variable or With block variable not set"},
      {94, "Invalid use of Null"},
      {380, "Invalid property value"},
      {5, "Application-defined or object-defined error"}};
  for (const auto& [number, text] : cases) EXPECT_EQ(RuntimeError(number).Description(), text);
  EXPECT_EQ(StandardErrorText(RuntimeError(13)), "Run-time error '13':\n\nType mismatch");
}

// Date texts and what the store makes of them ("-" for no date).
TEST(Dates, TextsReadAsDatesOrRefused) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"12/31/1999", "12/31/1999"}, {"1/31/2024", "01/31/2024"}, {"2/29/2000", "02/29/2000"},
      {"2/29/2004", "02/29/2004"}, {"2/29/1900", "-"}, {"2/29/2001", "-"},
      {"3/31/2023", "03/31/2023"}, {"4/30/2024", "04/30/2024"}, {"4/31/2024", "-"},
      {"6/31/2024", "-"}, {"12/31/2024", "12/31/2024"}, {"13/1/2024", "-"}, {"0/1/2024", "-"},
      {"1/0/2024", "-"}, {"2024-04-05", "04/05/2024"}, {"2024-4-5", "04/05/2024"},
      {"2024-004-05", "-"}, {"2024/1/005", "-"}, {"1/2/29", "01/02/2029"}, {"1/2/30", "01/02/1930"},
      {"1/2/123", "-"}, {"1/2/0099", "-"}, {"1/012/2024", "-"}, {"1/2/0100", "01/02/0100"}, {"1-2/2024", "-"},
      {"1/2", "-"}, {"1/2/2024x", "-"}, {"100/2/2024", "-"}, {"  1/2/2024  ", "01/02/2024"},
      {"x", "-"}, {"10/11/2012", "10/11/2012"}, {"1/2/2024 13:45", "01/02/2024 13:45:00"},
      {"1/2/2024  7:05:09", "01/02/2024 07:05:09"}, {"1/2/2024 23:59:59", "01/02/2024 23:59:59"},
      {"1/2/2024 24:00", "-"}, {"1/2/2024 12:60", "-"}, {"1/2/2024 12:00:60", "-"},
      {"1/2/2024 12", "-"}, {"1/2/2024 123:00", "-"}, {"1/2/2024 7:00x", "-"}, {"1/2/2024 7.30", "-"},
      {"1/2/2024x7:00", "-"}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    DateValue date{-1e9};
    const bool read = DateFromText(text, date);
    EXPECT_EQ(read ? GeneralText(date) : "-", expected) << text;
  }
  DateValue date;
  EXPECT_TRUE(DateFromText("1/1/2000", date) && date.serial == 36526);
  EXPECT_TRUE(DateFromText("2024-03-01 06:00", date) && date.serial == 45352.25);
  EXPECT_TRUE(DateFromText("2/29/2024", date) && date.serial == 45351);
}

TEST(GeneralText, EveryKindOfValue) {
  // clang-format off
  const std::pair<ProfileValue, const char*> cases[] = {
      {"abc", "abc"}, {ProfileValue(), ""}, {1.5, "1.5"}, {-0.0, "0"}, {1e20, "1E+20"}, {42, "42"},
      {true, "True"}, {false, "False"}, {DateValue{0}, "12/30/1899"}, {DateValue{0.5}, "12:00:00"},
      {DateValue{1.25}, "12/31/1899 06:00:00"}, {DateValue{61}, "03/01/1900"},
      {DateValue{-657434}, "01/01/0100"}, {DateValue{2958465.75}, "12/31/9999 18:00:00"},
      {DateValue{-1.5}, "12/29/1899 12:00:00"}};
  // clang-format on
  for (const auto& [value, expected] : cases) EXPECT_EQ(GeneralText(value), expected);
  EXPECT_EQ(ErrorOf([] { GeneralText(ProfileValue::Null()); }), kErrInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { GeneralText(ObjectValue{}); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf([] { GeneralText(std::numeric_limits<double>::infinity()); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { GeneralText(DateValue{-657435}); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { GeneralText(DateValue{2958466}); }), kErrOverflow);
}

TEST(ScheduleCommand, TimeTextThenTheIndexWithASignPosition) {
  EXPECT_EQ(ProduceScheduleCommand("07:30", 1), "07:30 1");
  EXPECT_EQ(ProduceScheduleCommand("07:30", -1), "07:30-1");
  // clang-format off
  const std::tuple<const char*, const char*, int> cases[] = {
      {"07:30 1", "07:30", 1}, {"0730", "", 0}, {"7:30 2 ", "7:30", 2}, {" 2", "", 2},
      {"1 1.5", "1", 2}, {"a b", "a", 0}, {"x -1", "x", -1}};
  // clang-format on
  for (const auto& [text, time, index] : cases) {
    const ScheduleParts parts = ParseScheduleCommand(text);
    EXPECT_EQ(parts.timeText, time) << text;
    EXPECT_EQ(parts.typeIndex, index) << text;
  }
  EXPECT_EQ(ErrorOf([] { ParseScheduleCommand("12:00 99999"); }), kErrOverflow);
  EXPECT_EQ(ScheduleFilePath("C:\\D"), "C:\\D\\Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath("C:\\"), "C:\\Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath("/d/"), "/d/Vesperon.ini");
  EXPECT_EQ(ScheduleFilePath(""), "\\Vesperon.ini");
}

// The windows' controls where they belong: position and size in twips, tab index where the control
// takes the focus, font; Enter and Escape press one each of Hide and Close.
TEST(Layouts, EveryControlWhereItBelongs) {
  // clang-format off
  const std::pair<const FormLayout&, const char*> forms[] = {
      {MainLayout(), "Label3 1635,420,1575,255 Frame2 0,600,3255,1095 Label1 120,240,1215,255 txtTime "
          "1440,240,1695,285 [7] Label1 120,600,1215,255 cmbType 1440,600,1695,315 [6] Frame1 0,1680,3255,735 "
          "cmdClose 240,240,855,375 [4] cmdAbout 1200,240,855,375 [2] cmdHide 2160,240,855,375 [3] "
          "tmrAutoHide tmrCheck NTService1 SysTray "},
      {AttentionLayout(), "lblInfo 240,120,4215,615 18 lblTime 120,840,4455,495 13.5 cmdStop "
          "1680,1560,1215,495 [0] Timer1 "},
      {SplashLayout(), "Frame1 30,0,7305,3855 imgLogo 40,120,7214,1305 Frame3 120,1440,3615,2295 "
          "lblProductName 120,360,3375,375 15.75 lblPlatform 120,840,3315,390 15.75 lblVersion "
          "120,1320,3255,300 12 lblCopyright 120,1920,3375,255 9.75 bold Frame2 3840,1440,3375,2295 "
          "lblCompany 120,240,3135,255 9 bold lblCompany 120,600,3135,255 8.25 lblCompany 120,840,3135,255 8.25 "
          "lblCompany 120,1200,3135,255 8.25 lblCompany 120,1440,3135,255 8.25 lblCompany 120,1680,3135,255 8.25 "
          "lblCompany 120,1920,3135,255 8.25 "}};
  // clang-format on
  for (const auto& [form, expected] : forms) {
    std::ostringstream text;
    for (const ControlLayout& c : form.controls) {
      text << c.name << " ";
      if (c.kind < ControlKind::Timer)
        text << c.left << "," << c.top << "," << c.width << "," << c.height << " ";
      if (c.kind >= ControlKind::TextBox && c.kind <= ControlKind::Button)
        text << "[" << c.tabIndex << "] ";
      if (c.font) text << c.font->points << (c.font->bold ? " bold " : " ");
    }
    EXPECT_EQ(text.str(), expected);
  }
  const ControlLayout &hide = *MainLayout().Find("cmdHide"),
                      &close = *MainLayout().Find("cmdClose");
  EXPECT_TRUE(hide.isDefault != close.isDefault && hide.isCancel != close.isCancel &&
              hide.isDefault != hide.isCancel);
}

// An error leaving an event the loop raised is reported; one leaving an event the program raised
// from inside a handler travels to that handler.
TEST(EventDispatcher, OutermostErrorsAreReportedInnerOnesTravel) {
  std::vector<int> reported;
  EventDispatcher events([&](const RuntimeError& error) { reported.push_back(error.Number()); });
  Handler failing = events.Wrap([] { Raise(kErrOverflow); });
  events.Raise([&] { EXPECT_EQ(ErrorOf(failing), kErrOverflow); });
  EXPECT_TRUE(reported.empty());
  failing();
  bool flag = false;
  events.Wrap(std::function<void(bool&)>([](bool&) { Raise(kErrTypeMismatch); }))(flag);
  events.Wrap(std::function<void(int)>([](int key) { Raise(key); }))(kErrObjectNotSet);
  EXPECT_EQ(reported, (std::vector<int>{kErrOverflow, kErrTypeMismatch, kErrObjectNotSet}));
}

}  // namespace
}  // namespace duskline
