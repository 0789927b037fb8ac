// Importing a big question bank: 5000 questions of every kind that converts, from Moodle XML
// and from GIFT, read, converted and written as plain banks in memory. The aim is under a
// second for each.
#include <benchmark/benchmark.h>

#include <string>

#include "bridge/question_import.h"

namespace {

using namespace examora;

constexpr int kQuestions = 5000;

std::string XmlQuestion(int i) {
  const std::string n = std::to_string(i);
  switch (i % 5) {
    case 0:
      return "<question type=\"multichoice\"><name><text>Q" + n +
             "</text></name><questiontext format=\"html\"><text><![CDATA[<p>Which support " + n +
             " prevents <b>rotation</b>?</p>]]></text></questiontext><single>true</single>"
             "<answer fraction=\"100\"><text>Fixed</text></answer><answer fraction=\"0\"><text>"
             "Pin</text></answer><answer fraction=\"0\"><text>Roller</text></answer></question>\n";
    case 1:
      return "<question type=\"truefalse\"><name><text>Q" + n +
             "</text></name><questiontext>"
             "<text>Steel " +
             n +
             " is stiff.</text></questiontext><answer fraction=\"100\">"
             "<text>true</text></answer><answer fraction=\"0\"><text>false</text></answer>"
             "</question>\n";
    case 2:
      return "<question type=\"shortanswer\"><name><text>Q" + n +
             "</text></name><questiontext>"
             "<text>Name property " +
             n +
             ".</text></questiontext><answer fraction=\"100\"><text>"
             "viscosity</text></answer></question>\n";
    case 3:
      return "<question type=\"numerical\"><name><text>Q" + n +
             "</text></name><questiontext>"
             "<text>How long is beam " +
             n +
             "?</text></questiontext><answer fraction=\"100\">"
             "<text>" +
             n +
             "</text><tolerance>1</tolerance></answer><units><unit><multiplier>1"
             "</multiplier><unit_name>m</unit_name></unit></units></question>\n";
    default:
      return "<question type=\"calculated\"><name><text>Q" + n +
             "</text></name><questiontext>"
             "<text>A plate " +
             n +
             " is {w} m by {h} m. Area?</text></questiontext><answer "
             "fraction=\"100\"><text>{w}*{h}</text><tolerance>0.01</tolerance><tolerancetype>1"
             "</tolerancetype></answer><units><unit><multiplier>1</multiplier><unit_name>m2"
             "</unit_name></unit></units><dataset_definitions><dataset_definition><name><text>w"
             "</text></name><minimum><text>1</text></minimum><maximum><text>5</text></maximum>"
             "<decimals><text>1</text></decimals></dataset_definition><dataset_definition><name>"
             "<text>h</text></name><minimum><text>2</text></minimum><maximum><text>8</text>"
             "</maximum><decimals><text>1</text></decimals></dataset_definition>"
             "</dataset_definitions></question>\n";
  }
}

std::string GiftQuestion(int i) {
  const std::string n = std::to_string(i);
  switch (i % 5) {
    case 0:
      return "::Q" + n + ":: Which support " + n + " is fixed? {=Fixed ~Pin ~Roller}\n\n";
    case 1:
      return "::Q" + n + ":: Steel " + n + " is stiff. {T}\n\n";
    case 2:
      return "::Q" + n + ":: Name property " + n + ". {=viscosity =visco-sity}\n\n";
    case 3:
      return "::Q" + n + ":: How long is beam " + n + "? {#" + n + ":1}\n\n";
    default:
      return "::Q" + n + ":: Match " + n + ". {=Force -> N =Energy -> J}\n\n";
  }
}

void BM_ImportMoodleXml(benchmark::State& state) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n";
  for (int i = 0; i < kQuestions; ++i) xml += XmlQuestion(i);
  xml += "</quiz>\n";
  for (auto _ : state) {
    const ImportReport report = ConvertQuestions(ReadMoodleXml(xml), {"10101", "Big", "big.xml"});
    if (report.imported != kQuestions) state.SkipWithError("not every question was imported");
    benchmark::DoNotOptimize(report.sources.data());
  }
  state.SetItemsProcessed(state.iterations() * kQuestions);
}
BENCHMARK(BM_ImportMoodleXml)->Unit(benchmark::kMillisecond);

void BM_ImportGift(benchmark::State& state) {
  std::string gift;
  for (int i = 0; i < kQuestions; ++i) gift += GiftQuestion(i);
  for (auto _ : state) {
    const ImportReport report = ConvertQuestions(ReadGift(gift), {"10101", "Big", "big.gift"});
    if (report.imported != kQuestions) state.SkipWithError("not every question was imported");
    benchmark::DoNotOptimize(report.sources.data());
  }
  state.SetItemsProcessed(state.iterations() * kQuestions);
}
BENCHMARK(BM_ImportGift)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
