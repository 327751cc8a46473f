// The table of texts, and the functions that fill them in. {1}, {2}, ...
// stand for a function's arguments in its order; a language may place them
// anywhere, and in any order.
#include "diag/messages.h"

#include "diag/shown.h"

#include <algorithm>
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
  inputEmpty,
  lineOneComment,
  strayToken,
  hintQuoteInText,
  hintJoinConditions,
  hintCommaMissing,
  operatorOperandLimit,
  conditionOperandLimit,
  emptyOperand,
  unmatchedClose,
  textAfterCommand,
  closersMissing,
  commandEmpty,
  commandGoesOn,
  secondCommand,
  literalOpen,
  tooManyTokens,
  lookalikeInName,
  literalSpansLines,
  causeLiteralSpans,
  hintPrefixComparison,
  hintPrefixCondition,
  exampleColumn,
  notTypeChoices,
  notType,
  typeMissing,
  charWidthOutOfRange,
  badRow,
  andMoreValues,
  andMoreColumns,
  columnNameLookalike,
  columnNameBracket,
  columnNameTwice,
  columnNameMissing,
  headerNoBreakSpace,
  strayTextEmptyLine,
  strayTextJoined,
  blankLineEnds,
  textAfterQuote,
  hintQuoteInValue,
  headerLikeRow,
  relationInRows,
  notWhole,
  tooLong,
  quoteOpenMissing,
  quoteLikeKept,
  valueSpansLines,
  relationNameLookalike,
  relationTwice,
  rowsWithoutHeader,
  utf16,
  inputTooLarge,
  credits,
  readingFile,
  done,
  executing,
  writingFile,
  fileMissing,
  cannotRead,
  outputNotWritable,
  cannotWrite,
  warningMark,
  errorLimitReached,
  argumentsMissing,
  usageShort,
  internalError,
  unknownError,
  outOfMemory,
  badInput,
  explanationNotWritten,
  unknownOption,
  optionValueMissing,
  explainRowsNotCount,
  explainFormUnknown,
  languageUnknown,
  usage,
  threadsOutOfRange,
  sqlResultColumnName,
  sqlRelationName,
  sqlColumnName,
  sqlValue,
  sqlOfRelation,
  sqlNul,
  sqlCrLf,
  semicolonBetweenColumns,
  fullwidthCommaBetweenColumns,
  commaMissingAfterType,
  blankInColumnName,
  twoLiterals,
  twoLiteralsColumn,
  renameToExisting,
  hintQuotedLiteral,
  hintRenamedAway,
  lineOneEmpty,
  causeValueSpans,
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
    {M::inputEmpty, "Az input file ures.", "The input file is empty."},
    {M::lineOneComment, "Az 1. sor megjegyzesnek latszik, de a file-ban nincs megjegyzes: az 1. sor a parancs.",
     "Line 1 looks like a comment, but the file holds no comments: line 1 is the command."},
    {M::strayToken, "Itt , vagy ) kell kovetkezzen, nem a(z) {1}.{2}", "A , or ) must follow here, not {1}.{2}"},
    {M::hintQuoteInText, " Idezett szovegben nem allhat '.", " A quoted text cannot hold '."},
    {M::hintJoinConditions, " Ket feltetelt az AND(p, q) vagy az OR(p, q) kapcsol ossze.",
     " Two conditions are joined by AND(p, q) or OR(p, q)."},
    {M::hintCommaMissing, " Hianyzik elotte egy , ?", " Is a , missing before it?"},
    {M::operatorOperandLimit, "A(z) {1} operatornak csak {2} operandusa lehet.",
     "Operator {1} takes at most {2} operands."},
    {M::conditionOperandLimit, "A(z) {1} feltetelnek csak {2} operandusa lehet.",
     "Condition {1} takes at most {2} operands."},
    {M::emptyOperand, "ures operandus: egy , tul sok, vagy hianyzik egy nev?",
     "empty operand: a , too many, or a name missing?"},
    {M::unmatchedClose, "ehhez a )-hez nem tartozik (.", "this ) has no ( to match."},
    {M::textAfterCommand, "a parancs vege utani szoveg kimarad.", "the text after the end of the command is left out."},
    {M::closersMissing, "a parancs vegerol hianyzik {1} ).", "the end of the command lacks {1} )."},
    {M::commandEmpty, "A parancs ures.", "The command is empty."},
    {M::commandGoesOn, "A parancs a 2. sorban folytatodik? Az egesz parancsnak az 1. sorban kell allnia.",
     "Does the command go on in line 2? The whole command must stand on line 1."},
    {M::secondCommand, "A 2. sor egy masodik parancsnak latszik: egy file-ban egy parancs allhat, az 1. sorban.",
     "Line 2 looks like a second command: a file holds one command, on line 1."},
    {M::literalOpen, "Az idezett szoveg nincs lezarva: hianyzik a zaro '.",
     "The quoted text is not closed: its closing ' is missing."},
    {M::tooManyTokens, "A parancs tul sok elemet tartalmaz.", "The command holds too many tokens."},
    {M::lookalikeInName, "a(z) {1} nevben {2} all, amely nem latszik vagy masnak latszik.",
     "the name {1} holds {2}, which is invisible or looks like another character."},
    {M::literalSpansLines, "az idezett szoveg tulnyulik az 1. soron: nem hianyzik a zaro '?",
     "the quoted text runs on past line 1: is its closing ' missing?"},
    {M::causeLiteralSpans, " Oka lehet a(z) {1}:{2} idezett szovege, amely tulnyulik az 1. soron.",
     " The cause may be the quoted text at {1}:{2}, which runs on past line 1."},
    {M::hintPrefixComparison, " Az osszehasonlitas elotag alaku: {1}.",
     " A comparison is written in prefix form: {1}."},
    {M::hintPrefixCondition, " A feltetel elotag alaku: {1}.", " A condition is written in prefix form: {1}."},
    {M::exampleColumn, "nev", "name"},
    {M::notTypeChoices, "A(z) {1} nem oszloptipus: int vagy char(n) lehet.",
     "{1} is not a column type: write int or char(n)."},
    {M::notType, "A(z) {1} nem oszloptipus.{2}", "{1} is not a column type.{2}"},
    {M::typeMissing, "A(z) {1} oszlopnak hianyzik a tipusa.", "Column {1} lacks its type."},
    {M::charWidthOutOfRange, "A(z) {1} nem oszloptipus: a char szelessege 1 es 2147483647 kozott lehet.",
     "{1} is not a column type: the width of a char is from 1 to 2147483647."},
    {M::badRow, "Hibas sor a(z) {1} relacioban: {2} ertek, {3} oszlop.",
     "Bad row in relation {1}: {2} values, {3} columns."},
    {M::andMoreValues, " (es meg {1} ilyen ertek)", " (and {1} more such values)"},
    {M::andMoreColumns, " (es meg {1} ilyen oszlop)", " (and {1} more such columns)"},
    {M::columnNameLookalike, "a(z) {1} oszlopnevben {2} all, amely nem latszik vagy masnak latszik{3}.",
     "the column name {1} holds {2}, which is invisible or looks like another character{3}."},
    {M::columnNameBracket, "a(z) {1} oszlopnevben ( vagy idezojel all{2}: egy ( vagy egy , elirasa?",
     "the column name {1} holds a ( or a quote{2}: a mistyped ( or ,?"},
    {M::columnNameTwice,
     "a(z) {1} oszlopnev masodszor szerepel a(z) {2} fejleceben{3}: a nevre hivatkozas nem lesz egyertelmu.",
     "the column name {1} stands twice in the header of {2}{3}: naming it will be ambiguous."},
    {M::columnNameMissing, "Hianyzik az oszlop neve.", "A column's name is missing."},
    {M::headerNoBreakSpace, "a(z) {1} fejleceben <U+00A0> (nem tordelheto szokoz) all: szokozkent szamit.",
     "the header of {1} holds <U+00A0> (a no-break space): it counts as a blank."},
    {M::strayTextEmptyLine,
     "A(z) {1} relacio nem letezik: ez az ures sor lezarja a(z) {2} relaciot rogton a fejlece utan.",
     "Relation {1} does not exist: this empty line ends relation {2} right after its header."},
    {M::strayTextJoined, "A(z) {1} relacio nem letezik: ez a sor nem tartozik relaciohoz, es a nevehez tapadt.",
     "Relation {1} does not exist: this line belongs to no relation and joined its name."},
    {M::blankLineEnds, "ez a sor csak szokozt vagy tabulatort tartalmaz: ures sorkent lezarja a(z) {1} relaciot.",
     "this line holds only blanks or tabs: as an empty line, it ends relation {1}."},
    {M::textAfterQuote, "A(z) '{1}' ertek zaro ' jele utan csak , vagy sorvege allhat.{2}",
     "After the closing ' of the value '{1}' only a , or the end of the line may stand.{2}"},
    {M::hintQuoteInValue, " Idezett ertekben nem allhat '.", " A quoted value cannot hold '."},
    {M::headerLikeRow, "ez a sor fejlecnek latszik, de a(z) {1} relacio sora lett: hianyzik elotte az ures sor?",
     "this line looks like a header, but became a row of relation {1}: is the empty line before it missing?"},
    {M::relationInRows,
     "A(z) {1} relacio nem letezik: a fejlece elott hianyzik az ures sor, igy a(z) {2} relacio sora lett.",
     "Relation {1} does not exist: the empty line before its header is missing, so it became a row of relation {2}."},
    {M::notWhole, "a(z) {1} oszlop {2} erteke nem egesz szam: {3}-kent szamit{4}.",
     "value {2} of column {1} is not a whole number: it counts as {3}{4}."},
    {M::tooLong, "a(z) {1} oszlop {2} erteke hosszabb, mint {3}{4}: az ertek egeszeben megmarad.",
     "value {2} of column {1} is longer than {3}{4}: the value is kept whole."},
    {M::quoteOpenMissing, "a(z) {1} oszlop {2} erteke {3} jellel kezdodik vagy vegzodik{4}: hianyzik a nyito '?",
     "value {2} of column {1} begins or ends with {3}{4}: is the opening ' missing?"},
    {M::quoteLikeKept,
     "a(z) {1} oszlop {2} erteke {3} jellel kezdodik vagy vegzodik{4}: csak a ' jel idez, ez az ertek resze.",
     "value {2} of column {1} begins or ends with {3}{4}: only ' quotes, so it is part of the value."},
    {M::valueSpansLines, "az idezett ertek atnyulik a kovetkezo sorba; nem hianyzik a zaro '?{1}",
     "the quoted value runs on into the next line; is its closing ' missing?{1}"},
    {M::relationNameLookalike, "a(z) {1} relacionevben {2} all, amely nem latszik vagy masnak latszik.",
     "the relation name {1} holds {2}, which is invisible or looks like another character."},
    {M::relationTwice, "a(z) {1} relacio masodszor is szerepel: a parancs a(z) {2}. sorban levot hasznalja.",
     "relation {1} is defined twice: the command uses the one on line {2}."},
    {M::rowsWithoutHeader, "ez a sor nem tartozik relaciohoz, mert nem fejlec koveti: kimarad.",
     "this line belongs to no relation, as no header follows it: it is left out."},
    {M::utf16, "A file UTF-16 kodolasu (a Jegyzettomb \"Unicode\" mentese); mentsd UTF-8 kodolassal.",
     "The file is in UTF-16 (Notepad's \"Unicode\"); save it as UTF-8."},
    {M::inputTooLarge, "A bemenet tobb mint {1} byte, ennyi nem fer a memoriaba.",
     "The input is more than {1} bytes, which do not fit in memory."},
    {M::credits, "Keszitette: a Tabulon csapata", "Made by the Tabulon team"},
    {M::readingFile, "File ({1}) olvasasa...", "Reading file ({1})..."},
    {M::done, "kesz.", "done."},
    {M::executing, "Parancs vegrehajtasa...", "Executing the command..."},
    {M::writingFile, "File ({1}) irasa...", "Writing file ({1})..."},
    {M::fileMissing, "A(z) {1} file nem letezik.", "File {1} does not exist."},
    {M::cannotRead, "a file nem nyithato meg olvasasra.", "the file cannot be opened for reading."},
    {M::outputNotWritable, "A(z) {1} file nem irhato.", "File {1} cannot be written."},
    {M::cannotWrite, "a kimeneti file nem irhato.", "the output file cannot be written."},
    {M::warningMark, "Figyelem: ", "Warning: "},
    {M::errorLimitReached, "{1} hiba utan a tobbit nem keresi.", "stopped looking after {1} errors."},
    {M::argumentsMissing, "Hianyzo parameterek.", "Missing arguments."},
    {M::usageShort, "Hasznalat: tabulon.exe inputfile outputfile", "Usage: tabulon.exe inputfile outputfile"},
    {M::internalError, "belso hiba, nem az input file hibaja: {1}", "internal error, not the input file's fault: {1}"},
    {M::unknownError, "tabulon: ismeretlen hiba.", "tabulon: unknown error."},
    {M::outOfMemory, "tabulon: elfogyott a memoria.", "tabulon: out of memory."},
    {M::badInput, "Hib\xE1s input file!", "Bad input file!"},
    {M::explanationNotWritten, "{1}: a magyarazat nem irhato ki{2}.", "{1}: the explanation cannot be written{2}."},
    {M::unknownOption, "ismeretlen kapcsolo: {1}", "unknown option: {1}"},
    {M::optionValueMissing, "a(z) {1} kapcsolo utan hianyzik az ertek.", "option {1} lacks its value."},
    {M::explainRowsNotCount, "a(z) --explain-rows erteke nem nemnegativ egesz szam: {1}",
     "the value of --explain-rows is not a whole number of 0 or more: {1}"},
    {M::explainFormUnknown, "{1}: a magyarazat formaja a kiterjesztesbol (.txt, .json, .dot, .sql) derul ki.",
     "{1}: the explanation's form follows from the extension (.txt, .json, .dot, .sql)."},
    {M::languageUnknown, "a(z) --lang erteke hu vagy en lehet: {1}", "the value of --lang is hu or en: {1}"},
    {M::usage,
     "Hasznalat: tabulon.exe [kapcsolok] inputfile outputfile\n"
     "\n"
     "  --explain FILE     a kiertekeles menete FILE-ba is: a parancs faja, minden\n"
     "                     reszeredmeny es a parancs SQL-ben; a forma a kiterjesztestol\n"
     "                     fugg (.txt, .json, .dot, .sql); - eseten szovegkent a\n"
     "                     standard kimenetre, a tobbi uzenet utan\n"
     "  --explain-rows N   legfeljebb N sor eredmenyenkent a magyarazatban (1000)\n"
     "  --threads N        legfeljebb N szalon dolgozik (1-{1}); alapertelmezes: a\n"
     "                     hasznalhato magok szama, legfeljebb {2}\n"
     "  --lang hu|en       az uzenetek nyelve: magyar (hu, alapertelmezett) vagy angol (en)\n"
     "  --extended         a hat operatoron tul: intersect, join, semijoin, antijoin,\n"
     "                     divide, es R.a alaku oszlopnevek\n"
     "  --help             ez a leiras\n"
     "  --version          a program verzioja\n"
     "  --                 a kapcsolok vege\n",
     "Usage: tabulon.exe [options] inputfile outputfile\n"
     "\n"
     "  --explain FILE     also writes how the command was evaluated to FILE: the command\n"
     "                     as a tree, every intermediate result and the command in SQL;\n"
     "                     the form follows the extension (.txt, .json, .dot, .sql); -\n"
     "                     writes the text form to standard output, after the rest\n"
     "  --explain-rows N   at most N rows of each result in the explanation (1000)\n"
     "  --threads N        works on at most N threads (1-{1}); by default the cores\n"
     "                     the process may use, at most {2}\n"
     "  --lang hu|en       the language of the messages: Hungarian (hu, the default) or English (en)\n"
     "  --extended         beyond the six operators: intersect, join, semijoin, antijoin,\n"
     "                     divide, and column names of the form R.a\n"
     "  --help             this text\n"
     "  --version          the program's version\n"
     "  --                 ends the options\n"},
    {M::threadsOutOfRange, "a(z) --threads erteke 1 es {1} kozti egesz szam: {2}",
     "the value of --threads is a whole number from 1 to {1}: {2}"},
    {M::sqlResultColumnName, "egy eredmeny oszlopneve", "a result's column name"},
    {M::sqlRelationName, "egy relacio neve", "a relation's name"},
    {M::sqlColumnName, "egy oszlopneve", "a column name"},
    {M::sqlValue, "egy erteke", "a value"},
    {M::sqlOfRelation, "a(z) {1} relacio {2}", "{2} of relation {1}"},
    {M::sqlNul, "{1} NUL byte-ot tartalmaz, amit az SQL nem tud tarolni",
     "{1} holds a NUL byte, which SQL cannot store"},
    {M::sqlCrLf, "{1} CR LF sorveget tartalmaz, amit az sqlite3 nem ad vissza valtozatlanul",
     "{1} holds a CR LF line end, which sqlite3 does not give back unchanged"},
    {M::semicolonBetweenColumns, "Az oszlopokat , valasztja el, nem ;: a(z) {1} utan , kell.",
     "Columns are separated by a , not a ;: a , must follow {1}."},
    {M::fullwidthCommaBetweenColumns, "A(z) {1} utan <U+FF0C> (szeles vesszo) all , helyett.",
     "After {1} stands <U+FF0C> (a fullwidth comma) instead of a ,."},
    {M::commaMissingAfterType, "Hianyzik egy , a(z) {1} tipus utan: a(z) {2} mar a kovetkezo oszlop.",
     "A , is missing after the type {1}: {2} begins the next column."},
    {M::blankInColumnName, "A(z) {1} oszlop neve es tipusa kozott {2} all: az oszlopnevben nem lehet szokoz.",
     "Between column {1} and its type stands {2}: a column name cannot hold a blank."},
    {M::twoLiterals,
     "a(z) {1} ket idezett szoveget hasonlit ossze, oszlopot egyet sem: minden sorra ugyanaz az eredmeny.",
     "{1} compares two quoted texts and no column: every row gets the same outcome."},
    {M::twoLiteralsColumn,
     "a(z) {1} ket idezett szoveget hasonlit ossze: '{2}' oszlopnev, idezojel nelkul az oszlopot jelolne.",
     "{1} compares two quoted texts: '{2}' is a column name, which without its quotes would name the column."},
    {M::renameToExisting,
     "a(z) {1} nevu relacio mar letezik: ezutan a(z) {1} nev kettejuk kozul a file-ban elobb allot jeloli.",
     "a relation named {1} exists already: from here on, {1} names whichever of the two stands first in the file."},
    {M::hintQuotedLiteral, " Szoveget csak a ' jel idez: '{1}'.", " Only ' quotes a text: '{1}'."},
    {M::hintRenamedAway, " A(z) {1}:{2} rename elobb ertekelodik ki, es {3} nevre nevezi at.",
     " The rename at {1}:{2} is evaluated first and renames it to {3}."},
    {M::lineOneEmpty, "Az 1. sor ures: a parancsnak az 1. sorban kell allnia.",
     "Line 1 is empty: the command must stand on line 1."},
    {M::causeValueSpans, " Oka lehet a(z) {1}. sorban nyitott idezett ertek, amelynek hianyzik a zaro ' jele.",
     " The cause may be the quoted value opened on line {1}, which lacks its closing '."},
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

// The arguments a text shows, as bits: {1} is bit 0.
constexpr unsigned placeholders(std::string_view form) {
  unsigned shown = 0;
  for (std::size_t at = 0; at + 2 < form.size(); ++at) {
    if (form[at] == '{' && form[at + 2] == '}' && form[at + 1] >= '1' && form[at + 1] <= '9') {
      shown |= 1U << static_cast<unsigned>(form[at + 1] - '1');
    }
  }
  return shown;
}

constexpr bool languagesShowTheSameArguments() {
  // std::all_of, not ranges: the page's compiler has no ranges algorithms yet.
  return std::all_of(texts.begin(), texts.end(),
                     [](const Text &text) { return placeholders(text.hu) == placeholders(text.en); });
}
static_assert(languagesShowTheSameArguments(), "a translation that drops an argument drops what it says");

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

// Fixed texts whose table entries are NUL-terminated literals: no allocation.
const char *fixedText(M id) {
  const Text &text = texts[static_cast<std::size_t>(id)];
  return (current == Language::en ? text.en : text.hu).data();
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

std::string inputEmpty() { return fill(M::inputEmpty, {}); }
std::string lineOneComment() { return fill(M::lineOneComment, {}); }
std::string strayToken(std::string_view word, std::string_view hint) {
  return fill(M::strayToken, {shownName(word), hint});
}
std::string hintQuoteInText() { return fill(M::hintQuoteInText, {}); }
std::string hintJoinConditions() { return fill(M::hintJoinConditions, {}); }
std::string hintCommaMissing() { return fill(M::hintCommaMissing, {}); }
std::string operatorOperandLimit(std::string_view op, std::size_t limit) {
  return fill(M::operatorOperandLimit, {shownName(op), std::to_string(limit)});
}
std::string conditionOperandLimit(std::string_view op, std::size_t limit) {
  return fill(M::conditionOperandLimit, {shownName(op), std::to_string(limit)});
}
std::string emptyOperand() { return fill(M::emptyOperand, {}); }
std::string unmatchedClose() { return fill(M::unmatchedClose, {}); }
std::string textAfterCommand() { return fill(M::textAfterCommand, {}); }
std::string closersMissing(std::size_t count) { return fill(M::closersMissing, {std::to_string(count)}); }
std::string commandEmpty() { return fill(M::commandEmpty, {}); }
std::string commandGoesOn() { return fill(M::commandGoesOn, {}); }
std::string secondCommand() { return fill(M::secondCommand, {}); }
std::string literalOpen() { return fill(M::literalOpen, {}); }
std::string tooManyTokens() { return fill(M::tooManyTokens, {}); }
std::string lookalikeInName(std::string_view name, std::string_view mark) {
  return fill(M::lookalikeInName, {shownName(name), mark});
}
std::string literalSpansLines() { return fill(M::literalSpansLines, {}); }
std::string causeLiteralSpans(long long line, long long column) {
  return fill(M::causeLiteralSpans, {std::to_string(line), std::to_string(column)});
}
std::string hintPrefixComparison(std::string_view form) { return fill(M::hintPrefixComparison, {form}); }
std::string hintPrefixCondition(std::string_view form) { return fill(M::hintPrefixCondition, {form}); }
std::string exampleColumn() { return fill(M::exampleColumn, {}); }
std::string notTypeChoices(std::string_view type) { return fill(M::notTypeChoices, {shownName(type)}); }
std::string notType(std::string_view type, std::string_view hint) { return fill(M::notType, {shownName(type), hint}); }
std::string typeMissing(std::string_view column) { return fill(M::typeMissing, {shownName(column)}); }
std::string charWidthOutOfRange(std::string_view type) { return fill(M::charWidthOutOfRange, {shownName(type)}); }
std::string badRow(std::string_view relation, std::size_t values, std::size_t columns) {
  return fill(M::badRow, {shownName(relation), std::to_string(values), std::to_string(columns)});
}
std::string andMoreValues(std::size_t count) { return fill(M::andMoreValues, {std::to_string(count)}); }
std::string andMoreColumns(std::size_t count) { return fill(M::andMoreColumns, {std::to_string(count)}); }
std::string columnNameLookalike(std::string_view name, std::string_view mark, std::string_view more) {
  return fill(M::columnNameLookalike, {shownName(name), mark, more});
}
std::string columnNameBracket(std::string_view name, std::string_view more) {
  return fill(M::columnNameBracket, {shownName(name), more});
}
std::string columnNameTwice(std::string_view name, std::string_view relation, std::string_view more) {
  return fill(M::columnNameTwice, {shownName(name), shownName(relation), more});
}
std::string columnNameMissing() { return fill(M::columnNameMissing, {}); }
std::string headerNoBreakSpace(std::string_view relation) { return fill(M::headerNoBreakSpace, {shownName(relation)}); }
std::string strayTextEmptyLine(std::string_view name, std::string_view previous) {
  return fill(M::strayTextEmptyLine, {shownName(name), shownName(previous)});
}
std::string strayTextJoined(std::string_view name) { return fill(M::strayTextJoined, {shownName(name)}); }
std::string blankLineEnds(std::string_view relation) { return fill(M::blankLineEnds, {shownName(relation)}); }
std::string textAfterQuote(std::string_view value, std::string_view hint) {
  return fill(M::textAfterQuote, {shownName(value), hint});
}
std::string hintQuoteInValue() { return fill(M::hintQuoteInValue, {}); }
std::string headerLikeRow(std::string_view relation) { return fill(M::headerLikeRow, {shownName(relation)}); }
std::string relationInRows(std::string_view name, std::string_view relation) {
  return fill(M::relationInRows, {shownName(name), shownName(relation)});
}
std::string notWhole(std::string_view column, std::string_view value, std::string_view number, std::string_view more) {
  return fill(M::notWhole, {shownName(column), value, number, more});
}
std::string tooLong(std::string_view column, std::string_view value, std::string_view type, std::string_view more) {
  return fill(M::tooLong, {shownName(column), value, type, more});
}
std::string quoteOpenMissing(std::string_view column, std::string_view value, std::string_view mark,
                             std::string_view more) {
  return fill(M::quoteOpenMissing, {shownName(column), value, mark, more});
}
std::string quoteLikeKept(std::string_view column, std::string_view value, std::string_view mark,
                          std::string_view more) {
  return fill(M::quoteLikeKept, {shownName(column), value, mark, more});
}
std::string valueSpansLines(std::string_view more) { return fill(M::valueSpansLines, {more}); }
std::string relationNameLookalike(std::string_view name, std::string_view mark) {
  return fill(M::relationNameLookalike, {shownName(name), mark});
}
std::string relationTwice(std::string_view name, long long firstLine) {
  return fill(M::relationTwice, {shownName(name), std::to_string(firstLine)});
}
std::string rowsWithoutHeader() { return fill(M::rowsWithoutHeader, {}); }
std::string utf16() { return fill(M::utf16, {}); }
std::string inputTooLarge(long long limit) { return fill(M::inputTooLarge, {std::to_string(limit)}); }
std::string credits() { return fill(M::credits, {}); }
std::string readingFile(std::string_view path) { return fill(M::readingFile, {path}); }
std::string done() { return fill(M::done, {}); }
std::string executing() { return fill(M::executing, {}); }
std::string writingFile(std::string_view path) { return fill(M::writingFile, {path}); }
std::string fileMissing(std::string_view path) { return fill(M::fileMissing, {path}); }
std::string cannotRead() { return fill(M::cannotRead, {}); }
std::string outputNotWritable(std::string_view path) { return fill(M::outputNotWritable, {path}); }
std::string cannotWrite() { return fill(M::cannotWrite, {}); }
std::string warningMark() { return fill(M::warningMark, {}); }
std::string errorLimitReached(std::size_t limit) { return fill(M::errorLimitReached, {std::to_string(limit)}); }
std::string argumentsMissing() { return fill(M::argumentsMissing, {}); }
std::string usageShort() { return fill(M::usageShort, {}); }
std::string internalError(std::string_view what) { return fill(M::internalError, {what}); }
std::string explanationNotWritten(std::string_view path, std::string_view why) {
  return fill(M::explanationNotWritten, {path, why});
}
std::string unknownOption(std::string_view option) { return fill(M::unknownOption, {option}); }
std::string optionValueMissing(std::string_view option) { return fill(M::optionValueMissing, {option}); }
std::string explainRowsNotCount(std::string_view value) { return fill(M::explainRowsNotCount, {value}); }
std::string explainFormUnknown(std::string_view path) { return fill(M::explainFormUnknown, {path}); }
std::string languageUnknown(std::string_view value) { return fill(M::languageUnknown, {value}); }

const char *unknownErrorLine() { return fixedText(M::unknownError); }
const char *outOfMemoryLine() { return fixedText(M::outOfMemory); }
const char *badInputLine() { return fixedText(M::badInput); }

std::string usage(unsigned maxAskedThreads, unsigned maxThreads) {
  return fill(M::usage, {std::to_string(maxAskedThreads), std::to_string(maxThreads)});
}

std::string sqlResultColumnName() { return fill(M::sqlResultColumnName, {}); }
std::string sqlRelationName() { return fill(M::sqlRelationName, {}); }
std::string sqlColumnName() { return fill(M::sqlColumnName, {}); }
std::string sqlValue() { return fill(M::sqlValue, {}); }
std::string sqlOfRelation(std::string_view relation, std::string_view part) {
  return fill(M::sqlOfRelation, {shownName(relation), part});
}
std::string sqlNul(std::string_view whose) { return fill(M::sqlNul, {whose}); }
std::string sqlCrLf(std::string_view whose) { return fill(M::sqlCrLf, {whose}); }

std::string semicolonBetweenColumns(std::string_view type) {
  return fill(M::semicolonBetweenColumns, {shownName(type)});
}
std::string fullwidthCommaBetweenColumns(std::string_view type) {
  return fill(M::fullwidthCommaBetweenColumns, {shownName(type)});
}
std::string commaMissingAfterType(std::string_view type, std::string_view next) {
  return fill(M::commaMissingAfterType, {shownName(type), shownName(next)});
}
std::string blankInColumnName(std::string_view column, std::string_view rest) {
  return fill(M::blankInColumnName, {shownName(column), shownName(rest)});
}

std::string twoLiterals(std::string_view op) { return fill(M::twoLiterals, {shownName(op)}); }
std::string twoLiteralsColumn(std::string_view op, std::string_view name) {
  return fill(M::twoLiteralsColumn, {shownName(op), shownName(name)});
}
std::string renameToExisting(std::string_view name) { return fill(M::renameToExisting, {shownName(name)}); }
std::string hintQuotedLiteral(std::string_view text) { return fill(M::hintQuotedLiteral, {shownName(text)}); }
std::string hintRenamedAway(long long line, long long column, std::string_view name) {
  return fill(M::hintRenamedAway, {std::to_string(line), std::to_string(column), shownName(name)});
}
std::string lineOneEmpty() { return fill(M::lineOneEmpty, {}); }
std::string causeValueSpans(long long line) { return fill(M::causeValueSpans, {std::to_string(line)}); }

std::string threadsOutOfRange(unsigned most, std::string_view value) {
  return fill(M::threadsOutOfRange, {std::to_string(most), value});
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
