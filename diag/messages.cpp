// The table of texts, and the functions that fill them in. {1}, {2}, ...
// stand for a function's arguments in its order; a language may place them
// anywhere, and in any order.
#include "diag/messages.h"

#include "diag/shown.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace {

enum class M : std::uint16_t {
  didYouMean,
  likeCount,
  operandMissing,
  conditionOperandMissing,
  operandNotRelation,
  operandNotReady,
  relationMissing,
  columnMissing,
  columnAmbiguous,
  columnCountsDiffer,
  columnTypesDiffer,
  renameTargetNotName,
  literalNotWhole,
  operatorNameMissing,
  conditionNameMissing,
  conditionNotOperator,
  notOperator,
  notCondition,
  projectRepeat,
  projectRepeatMore,
  renameSurplus,
  renameShort,
  renameRepeat,
  quotedName,
  resultTooLarge,
  // The operators of --extended.
  extendedOperator,
  sharedColumnTypesDiffer,
  sharesNoColumn,
  divisorColumnMissing,
  qualifierUnknown,
  count
};

struct Text {
  M id;
  std::string_view hu;
  std::string_view en;
};

constexpr std::array<Text, static_cast<std::size_t>(M::count)> texts{{
    {M::didYouMean, " Erre gondoltal: {1}?", " Did you mean {1}?"},
    {M::likeCount, " (es meg {1} hasonlo)", " (and {1} more like it)"},
    {M::operandMissing, "A(z) {1} operatornak hianyzik {2} operandusa.", "Operator {1} lacks its {2} operand."},
    {M::conditionOperandMissing, "A(z) {1} feltetelnek hianyzik {2} operandusa.",
     "Condition {1} lacks its {2} operand."},
    {M::operandNotRelation, "A(z) {1} operator {2}. operandusa nem relacio.",
     "Operand {2} of operator {1} is not a relation."},
    {M::operandNotReady, "A(z) {1} operator {2}. operandusa nem ertekelheto ki elotte.",
     "Operand {2} of operator {1} cannot be evaluated before it."},
    {M::relationMissing, "A(z) {1} relacio nem letezik.{2}", "Relation {1} does not exist.{2}"},
    {M::columnMissing, "A(z) {1} oszlop nem letezik.{2}", "Column {1} does not exist.{2}"},
    {M::columnAmbiguous, "A(z) {1} oszlop nem egyertelmu: {2} oszlopnak is ez a neve.",
     "Column {1} is ambiguous: {2} columns have that name."},
    {M::columnCountsDiffer, "A(z) {1} operandusainak oszlopszama elter: {2} es {3}.",
     "The operands of {1} differ in their number of columns: {2} and {3}."},
    {M::columnTypesDiffer, "A(z) {1} operandusainak {2}. oszlopa tipusban elter: {3} es {4}.",
     "Column {2} of the operands of {1} differs in type: {3} and {4}."},
    {M::renameTargetNotName, "A(z) {1} operator 2. operandusa nem uj nev.",
     "Operand 2 of operator {1} is not a new name."},
    {M::literalNotWhole, "A(z) '{1}' nem egesz szam, de a(z) {2} oszlop int.",
     "'{1}' is not a whole number, but column {2} is int."},
    {M::operatorNameMissing, "A ( elott hianyzik az operator neve.", "The operator's name is missing before the (."},
    {M::conditionNameMissing, "A ( elott hianyzik a feltetel neve.", "The condition's name is missing before the (."},
    {M::conditionNotOperator, "A(z) {1} feltetel, nem operator.", "{1} is a condition, not an operator."},
    {M::notOperator, "A(z) {1} nem operator.{2}", "{1} is not an operator.{2}"},
    {M::notCondition, "A(z) {1} nem feltetel.{2}", "{1} is not a condition.{2}"},
    {M::projectRepeat, "a(z) {1} oszlop masodszor is szerepel: az eredmenyben ketszer lesz.",
     "column {1} is named twice: the result holds it twice."},
    {M::projectRepeatMore, "a(z) {1} oszlop masodszor is szerepel: az eredmenyben ketszer lesz (es meg {2} ismetles).",
     "column {1} is named twice: the result holds it twice (and {2} more repeats)."},
    {M::renameSurplus, "a(z) {1} {2} nevet ad {3} oszlopnak: a(z) {4} es a tobbi kimarad.",
     "{1} gives {2} names to {3} columns: {4} and the rest are left out."},
    {M::renameShort, "a(z) {1} csak {2} nevet ad {3} oszlopnak: a tobbi oszlop megtartja a nevet.",
     "{1} gives only {2} names to {3} columns: the other columns keep their names."},
    {M::renameRepeat, "a(z) {1} nev masodszor is szerepel.", "the name {1} is given twice."},
    {M::quotedName, "a(z) '{1}' idezve all, de oszlopnevkent szamit: {1}.",
     "'{1}' stands in quotes, but counts as the column name {1}."},
    {M::resultTooLarge, "A(z) {1} eredmenye tul nagy: {2} sor.", "The result of {1} is too large: {2} rows."},
    {M::extendedOperator, " A(z) {1} kiterjesztett operator: a --extended kapcsoloval hasznalhato.",
     " {1} is an extended operator: run with --extended."},
    {M::sharedColumnTypesDiffer, "A(z) {1} operandusainak kozos {2} oszlopa tipusban elter: {3} es {4}.",
     "The shared column {2} of the operands of {1} differs in type: {3} and {4}."},
    {M::sharesNoColumn, "a(z) {1} operandusainak nincs kozos oszlopa: az eredmeny a szorzatuk.",
     "the operands of {1} share no column: the result is their product."},
    {M::divisorColumnMissing, "A(z) {1} 2. operandusanak {2} oszlopa nincs meg az 1. operandusban.",
     "Column {2} of the 2nd operand of {1} is not a column of its 1st operand."},
    {M::qualifierUnknown,
     " A(z) {1} nem az operandus egy megnevezett relaciojanak neve; egy beagyazott parancs oszlopai nem "
     "minosithetok: nevezd at rename-mel.",
     " {1} names no named relation of the operand; the columns of a nested command have no qualifier: rename it."},
}};

constexpr bool textsFollowTheEnum() {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (static_cast<std::size_t>(texts[i].id) != i) {
      return false;
    }
  }
  return true;
}
static_assert(textsFollowTheEnum(), "texts in M's order");

Language current = Language::hu;

// The text of id in the current language, {n} replaced by the n-th argument.
std::string fill(M id, std::initializer_list<std::string_view> args) {
  const Text &text = texts[static_cast<std::size_t>(id)];
  std::string_view form = current == Language::en ? text.en : text.hu;
  std::string out;
  for (std::size_t at = 0; at < form.size(); ++at) {
    std::size_t n = at + 2 < form.size() && form[at] == '{' && form[at + 2] == '}'
                        ? static_cast<std::size_t>(form[at + 1] - '1')
                        : args.size();
    if (n < args.size()) {
      out += *(args.begin() + n);
      at += 2;
    } else {
      out.push_back(form[at]);
    }
  }
  return out;
}

std::string number(std::uint64_t n) { return std::to_string(n); }

} // namespace

void setLanguage(Language language) { current = language; }
Language language() { return current; }

bool languageNamed(std::string_view word, Language &language) {
  if (word == "hu" || word == "en") {
    language = word == "hu" ? Language::hu : Language::en;
    return true;
  }
  return false;
}

namespace msg {

std::string didYouMean(std::string_view name) { return fill(M::didYouMean, {name}); }

std::string ordinal(int n) {
  std::string digits = std::to_string(n);
  if (current == Language::en) {
    int last = n % 10;
    bool teen = n % 100 >= 11 && n % 100 <= 13;
    return digits + (teen || last == 0 || last > 3 ? "th" : last == 1 ? "st" : last == 2 ? "nd" : "rd");
  }
  // "az" where the number's name starts with a vowel (1, 5, 1000, 5000 ...).
  bool vowel = digits[0] == '5' || (digits[0] == '1' && digits.size() % 3 == 1);
  return (vowel ? "az " : "a ") + digits + ".";
}

std::string withLikeCount(std::string_view message, std::size_t more) {
  // The count goes before the message's closing mark.
  std::string out(message.substr(0, message.size() - 1));
  out += fill(M::likeCount, {number(more)});
  out += message.back();
  return out;
}

std::string operandMissing(std::string_view op, int position, bool condition) {
  return fill(condition ? M::conditionOperandMissing : M::operandMissing, {shownName(op), ordinal(position)});
}
std::string operandNotRelation(std::string_view op, int position) {
  return fill(M::operandNotRelation, {shownName(op), number(static_cast<std::uint64_t>(position))});
}
std::string operandNotReady(std::string_view op, int position) {
  return fill(M::operandNotReady, {shownName(op), number(static_cast<std::uint64_t>(position))});
}
std::string relationMissing(std::string_view name, std::string_view hint) {
  return fill(M::relationMissing, {shownName(name), hint});
}
std::string columnMissing(std::string_view name, std::string_view hint) {
  return fill(M::columnMissing, {shownName(name), hint});
}
std::string columnAmbiguous(std::string_view name, std::size_t count) {
  return fill(M::columnAmbiguous, {shownName(name), number(count)});
}
std::string columnCountsDiffer(std::string_view op, std::size_t a, std::size_t b) {
  return fill(M::columnCountsDiffer, {shownName(op), number(a), number(b)});
}
std::string columnTypesDiffer(std::string_view op, int position, std::string_view a, std::string_view b) {
  return fill(M::columnTypesDiffer, {shownName(op), number(static_cast<std::uint64_t>(position)), a, b});
}
std::string renameTargetNotName(std::string_view op) { return fill(M::renameTargetNotName, {shownName(op)}); }
std::string literalNotWhole(std::string_view literal, std::string_view column) {
  return fill(M::literalNotWhole, {shownName(literal), shownName(column)});
}
std::string operatorNameMissing() { return fill(M::operatorNameMissing, {}); }
std::string conditionNameMissing() { return fill(M::conditionNameMissing, {}); }
std::string conditionNotOperator(std::string_view word) { return fill(M::conditionNotOperator, {shownName(word)}); }
std::string notOperator(std::string_view shown, std::string_view hint) { return fill(M::notOperator, {shown, hint}); }
std::string notCondition(std::string_view shown, std::string_view hint) { return fill(M::notCondition, {shown, hint}); }
std::string projectRepeat(std::string_view column, std::size_t moreRepeats) {
  return moreRepeats == 0 ? fill(M::projectRepeat, {shownName(column)})
                          : fill(M::projectRepeatMore, {shownName(column), number(moreRepeats)});
}
std::string renameSurplus(std::string_view target, std::size_t names, std::size_t columns, std::string_view extra) {
  return fill(M::renameSurplus, {shownName(target), number(names), number(columns), shownName(extra)});
}
std::string renameShort(std::string_view target, std::size_t names, std::size_t columns) {
  return fill(M::renameShort, {shownName(target), number(names), number(columns)});
}
std::string renameRepeat(std::string_view name) { return fill(M::renameRepeat, {shownName(name)}); }
std::string quotedName(std::string_view name) { return fill(M::quotedName, {shownName(name)}); }
std::string resultTooLarge(std::string_view op, std::uint64_t rows) {
  return fill(M::resultTooLarge, {shownName(op), number(rows)});
}

std::string extendedOperator(std::string_view word) { return fill(M::extendedOperator, {shownName(word)}); }
std::string sharedColumnTypesDiffer(std::string_view op, std::string_view column, std::string_view a,
                                    std::string_view b) {
  return fill(M::sharedColumnTypesDiffer, {shownName(op), shownName(column), a, b});
}
std::string sharesNoColumn(std::string_view op) { return fill(M::sharesNoColumn, {shownName(op)}); }
std::string qualifierUnknown(std::string_view qualifier) { return fill(M::qualifierUnknown, {shownName(qualifier)}); }
std::string divisorColumnMissing(std::string_view op, std::string_view column) {
  return fill(M::divisorColumnMissing, {shownName(op), shownName(column)});
}

} // namespace msg
