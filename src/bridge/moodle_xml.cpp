// Moodle XML question files, read with libxml2. The file is untrusted: its size is checked
// before parsing, a document type (and so any entity of its own) is refused before and after
// parsing, the network is off and no external entity is ever loaded.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <mutex>

#include "bridge/import_formula.h"
#include "bridge/question_import.h"
#include "common/error.h"
#include "platform/files.h"

namespace examora {
namespace {

// Nothing outside the file is read, whatever it names.
xmlParserInputPtr RefuseExternal(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

void InitOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(RefuseExternal);
  });
}

std::string Name(xmlNodePtr node) {
  return reinterpret_cast<const char*>(node->name);
}

xmlNodePtr Child(xmlNodePtr node, const char* name) {
  for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && Name(c) == name) return c;
  }
  return nullptr;
}

std::vector<xmlNodePtr> Children(xmlNodePtr node, const char* name) {
  std::vector<xmlNodePtr> found;
  for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && Name(c) == name) found.push_back(c);
  }
  return found;
}

// The text and CDATA directly inside an element.
std::string Content(xmlNodePtr node) {
  std::string text;
  for (xmlNodePtr c = node ? node->children : nullptr; c; c = c->next) {
    if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content) {
      text += reinterpret_cast<const char*>(c->content);
    }
  }
  return text;
}

// Most fields hold their value in a <text> child; a few hold it directly.
std::string TextOf(xmlNodePtr node) {
  if (!node) return "";
  const xmlNodePtr text = Child(node, "text");
  return text ? Content(text) : Content(node);
}

std::string Attribute(xmlNodePtr node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (!value) return "";
  std::string text = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return text;
}

double NumberOf(const std::string& text, double fallback = 0) {
  double value = fallback;
  return ReadNumber(text, value) ? value : fallback;
}

bool IsHtml(xmlNodePtr node) {
  const std::string format = Attribute(node, "format");
  return format.empty() || format == "html" || format == "moodle_auto_format";
}

ImportAnswer AnswerOf(xmlNodePtr node) {
  ImportAnswer a{TextOf(node), NumberOf(Attribute(node, "fraction")), std::nullopt, 2};
  if (const xmlNodePtr tolerance = Child(node, "tolerance")) {
    a.tolerance = NumberOf(TextOf(tolerance));
  }
  if (const xmlNodePtr type = Child(node, "tolerancetype")) {
    a.toleranceType = static_cast<int>(NumberOf(TextOf(type), 2));
  }
  return a;
}

void ReadDatasets(xmlNodePtr question, ImportedQuestion& q) {
  for (xmlNodePtr d : Children(Child(question, "dataset_definitions"), "dataset_definition")) {
    ImportDataset set;
    set.name = TextOf(Child(d, "name"));
    const std::string distribution = TextOf(Child(d, "distribution"));
    if (!distribution.empty()) set.distribution = distribution;
    set.min = NumberOf(TextOf(Child(d, "minimum")));
    set.max = NumberOf(TextOf(Child(d, "maximum")));
    set.decimals = static_cast<int>(NumberOf(TextOf(Child(d, "decimals"))));
    q.datasets.push_back(set);
  }
}

ImportedQuestion QuestionOf(xmlNodePtr node, const std::string& category) {
  ImportedQuestion q;
  q.type = Attribute(node, "type");
  q.category = category;
  q.name = TextOf(Child(node, "name"));
  const xmlNodePtr text = Child(node, "questiontext");
  q.text = TextOf(text);
  q.html = !text || IsHtml(text);
  const std::string single = TextOf(Child(node, "single"));
  q.single = single.empty() || single == "true" || single == "1";
  const std::string usecase = TextOf(Child(node, "usecase"));
  q.caseSensitive = usecase == "1";
  for (xmlNodePtr a : Children(node, "answer")) q.answers.push_back(AnswerOf(a));
  for (xmlNodePtr s : Children(node, "subquestion")) {
    q.pairs.emplace_back(TextOf(s), TextOf(Child(s, "answer")));
  }
  for (xmlNodePtr u : Children(Child(node, "units"), "unit")) {
    q.units.push_back({TextOf(Child(u, "unit_name")), NumberOf(TextOf(Child(u, "multiplier")), 1)});
  }
  ReadDatasets(node, q);
  return q;
}

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
struct ContextFree {
  void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};

std::unique_ptr<xmlDoc, DocFree> Parse(std::string_view bytes) {
  std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw FormatError("could not be read: out of memory");
  // No XML_PARSE_NOENT, DTDLOAD or HUGE: entities stay unexpanded and libxml2's limits hold.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(
      ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), "question file", nullptr, options));
  if (!doc) {
    const xmlError* error = xmlCtxtGetLastError(ctxt.get());
    std::string message = error && error->message ? error->message : "not well-formed";
    while (!message.empty() && message.back() == '\n') message.pop_back();
    throw FormatError("is not well-formed XML (line " + std::to_string(error ? error->line : 0) +
                      ": " + message + ")");
  }
  if (doc->intSubset || doc->extSubset)
    throw FormatError("declares a document type, which a question file never has");
  return doc;
}

}  // namespace

std::vector<ImportedQuestion> ReadMoodleXml(std::string_view bytes) {
  if (bytes.size() > kMaxImportBytes) {
    throw FormatError("is larger than " + SizeText(kMaxImportBytes) +
                      ", the most a question file may hold");
  }
  // Refused before parsing, so no entity of the file's own is ever expanded.
  if (bytes.find("<!DOCTYPE") != std::string_view::npos ||
      bytes.find("<!ENTITY") != std::string_view::npos) {
    throw FormatError("declares a document type, which a question file never has");
  }
  InitOnce();
  const auto doc = Parse(bytes);
  const xmlNodePtr root = xmlDocGetRootElement(doc.get());
  if (!root || Name(root) != "quiz")
    throw FormatError("is not a Moodle XML question file (no <quiz>)");
  std::vector<ImportedQuestion> questions;
  std::string category;
  for (xmlNodePtr node : Children(root, "question")) {
    if (Attribute(node, "type") == "category") {
      category = TextOf(Child(node, "category"));
      continue;
    }
    questions.push_back(QuestionOf(node, category));
  }
  return questions;
}

}  // namespace examora
