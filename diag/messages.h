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

// Reading the command.
std::string inputEmpty();
std::string lineOneComment();
std::string strayToken(std::string_view word, std::string_view hint);
std::string hintQuoteInText();
std::string hintJoinConditions();
std::string hintCommaMissing();
std::string operatorOperandLimit(std::string_view op, std::size_t limit);
std::string conditionOperandLimit(std::string_view op, std::size_t limit);
std::string emptyOperand();
std::string unmatchedClose();
std::string textAfterCommand();
std::string closersMissing(std::size_t count);
std::string commandEmpty();
std::string commandGoesOn();
std::string secondCommand();
std::string literalOpen();
std::string tooManyTokens();
std::string lookalikeInName(std::string_view name, std::string_view mark);
std::string literalSpansLines();
std::string causeLiteralSpans(long long line, long long column);
std::string hintPrefixComparison(std::string_view form);
std::string hintPrefixCondition(std::string_view form);
std::string exampleColumn();

// Reading the relations.
std::string notTypeChoices(std::string_view type);
std::string notType(std::string_view type, std::string_view hint);
std::string typeMissing(std::string_view column);
std::string charWidthOutOfRange(std::string_view type);
std::string badRow(std::string_view relation, std::size_t values, std::size_t columns);
std::string andMoreValues(std::size_t count);
std::string andMoreColumns(std::size_t count);
std::string columnNameLookalike(std::string_view name, std::string_view mark, std::string_view more);
std::string columnNameBracket(std::string_view name, std::string_view more);
std::string columnNameTwice(std::string_view name, std::string_view relation, std::string_view more);
std::string columnNameMissing();
std::string headerNoBreakSpace(std::string_view relation);
std::string strayTextEmptyLine(std::string_view name, std::string_view previous);
std::string strayTextJoined(std::string_view name);
std::string blankLineEnds(std::string_view relation);
std::string textAfterQuote(std::string_view value, std::string_view hint);
std::string hintQuoteInValue();
std::string headerLikeRow(std::string_view relation);
std::string relationInRows(std::string_view name, std::string_view relation);
std::string notWhole(std::string_view column, std::string_view value, std::string_view number, std::string_view more);
std::string tooLong(std::string_view column, std::string_view value, std::string_view type, std::string_view more);
std::string quoteOpenMissing(std::string_view column, std::string_view value, std::string_view mark,
                             std::string_view more);
std::string quoteLikeKept(std::string_view column, std::string_view value, std::string_view mark,
                          std::string_view more);
std::string valueSpansLines(std::string_view more);
std::string relationNameLookalike(std::string_view name, std::string_view mark);
std::string relationTwice(std::string_view name, long long firstLine);
std::string rowsWithoutHeader();
std::string utf16();
std::string inputTooLarge(long long limit);

// The console.
std::string credits();
std::string readingFile(std::string_view path);
std::string done();
std::string executing();
std::string writingFile(std::string_view path);
std::string fileMissing(std::string_view path);
std::string cannotRead();
std::string outputNotWritable(std::string_view path);
std::string cannotWrite();
std::string warningMark();
std::string errorLimitReached(std::size_t limit);
std::string argumentsMissing();
std::string usageShort();
std::string internalError(std::string_view what);
std::string explanationNotWritten(std::string_view path, std::string_view why);
std::string unknownOption(std::string_view option);
std::string optionValueMissing(std::string_view option);
std::string explainRowsNotCount(std::string_view value);
std::string explainFormUnknown(std::string_view path);
std::string languageUnknown(std::string_view value);
std::string usage(unsigned maxAskedThreads, unsigned maxThreads); // the option list of --help
std::string threadsOutOfRange(unsigned most, std::string_view value);

// Lines a failure prints when memory may have run out: fixed texts, chosen
// without allocating.
const char *unknownErrorLine(); // "tabulon: ismeretlen hiba."
const char *outOfMemoryLine();  // "tabulon: elfogyott a memoria."
const char *badInputLine();     // the console's "Hibas input file!", its a as 0xE1

// The SQL form of an explanation.
std::string sqlResultColumnName();
std::string sqlRelationName();
std::string sqlColumnName();
std::string sqlValue();
std::string sqlOfRelation(std::string_view relation, std::string_view part);
std::string sqlNul(std::string_view whose);
std::string sqlCrLf(std::string_view whose);

// Header entries run together.
std::string semicolonBetweenColumns(std::string_view type);
std::string fullwidthCommaBetweenColumns(std::string_view type);
std::string commaMissingAfterType(std::string_view type, std::string_view next);
std::string blankInColumnName(std::string_view column, std::string_view rest);

// More of the check.
std::string twoLiterals(std::string_view op);
std::string twoLiteralsColumn(std::string_view op, std::string_view name);
std::string renameToExisting(std::string_view name);
std::string hintQuotedLiteral(std::string_view text);
std::string hintRenamedAway(long long line, long long column, std::string_view name);
std::string lineOneEmpty();
std::string causeValueSpans(long long line);
// The operators of --extended.
std::string extendedOperator(std::string_view word); // a hint after notOperator
std::string sharedColumnTypesDiffer(std::string_view op, std::string_view column, std::string_view a,
                                    std::string_view b);
std::string sharesNoColumn(std::string_view op);
std::string divisorColumnMissing(std::string_view op, std::string_view column);
std::string qualifierUnknown(std::string_view qualifier); // a hint after columnMissing

} // namespace msg
