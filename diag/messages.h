// Every text the program says to its user, as one function per message, in
// the language chosen for the run: Hungarian, as ever, or English. The texts
// themselves stand in one table (messages.cpp), both languages side by side.
// Names and values are passed as they stand; the message quotes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class Language { hu, en };

// The language of every message from here on; Hungarian until set.
void setLanguage(Language language);
Language language();
// "hu" or "en" as the option names them; false for any other word.
bool languageNamed(std::string_view word, Language &language);

namespace msg {

// Pieces that messages share.
std::string didYouMean(std::string_view name); // " Erre gondoltal: X?"
std::string ordinal(int n);                    // "az 1." / "1st"
// A warning's text with the count of the like ones that followed it.
std::string withLikeCount(std::string_view message, std::size_t more);

// The check of the command.
std::string operandMissing(std::string_view op, int position, bool condition);
std::string operandNotRelation(std::string_view op, int position);
std::string operandNotReady(std::string_view op, int position);
std::string relationMissing(std::string_view name, std::string_view hint);
std::string columnMissing(std::string_view name, std::string_view hint);
std::string columnAmbiguous(std::string_view name, std::size_t count);
std::string columnCountsDiffer(std::string_view op, std::size_t a, std::size_t b);
std::string columnTypesDiffer(std::string_view op, int position, std::string_view a, std::string_view b);
std::string renameTargetNotName(std::string_view op);
std::string literalNotWhole(std::string_view literal, std::string_view column);
std::string operatorNameMissing();
std::string conditionNameMissing();
std::string conditionNotOperator(std::string_view word);
std::string notOperator(std::string_view shown, std::string_view hint);
std::string notCondition(std::string_view shown, std::string_view hint);
std::string projectRepeat(std::string_view column, std::size_t moreRepeats);
std::string renameSurplus(std::string_view target, std::size_t names, std::size_t columns, std::string_view extra);
std::string renameShort(std::string_view target, std::size_t names, std::size_t columns);
std::string renameRepeat(std::string_view name);
std::string quotedName(std::string_view name);

// Evaluation.
std::string resultTooLarge(std::string_view op, std::uint64_t rows);

// The operators of --extended.
std::string extendedOperator(std::string_view word); // a hint after notOperator
std::string sharedColumnTypesDiffer(std::string_view op, std::string_view column, std::string_view a,
                                    std::string_view b);
std::string sharesNoColumn(std::string_view op);
std::string divisorColumnMissing(std::string_view op, std::string_view column);
std::string qualifierUnknown(std::string_view qualifier); // a hint after columnMissing

} // namespace msg
