#include "ui_text.h"

#include "cp1251.h"

namespace {

struct TTextRow {
    TTextId Id;
    const char* Initial;
    const char* Russian;  // UTF-8 here; installed as Windows-1251
};

// clang-format off
constexpr TTextRow kTexts[] = {
    {utTitle,           "Tessaron 1.1 Beta by Quennick", nullptr},
    {utPathLabel,       "INI directory:", "Директория INI:"},
    {utStart,           "Ready!", "Готово!"},
    {utBrowse,          "...", "..."},
    {utBrowsePrompt,    "Select a root directory", "Выберите директорию для поиска"},
    {utError,           "Error", "Ошибка"},
    {utPathMissing,     "Path does not exist!", "Папки не существует!"},
    {utPathEmpty,       "Specify a path!", "Укажите папку!"},
    {utNoWindow,        "Cannot create the windiow!", "Не могу создать окно!"},
    {utHint,            "Specify a path and click \"Ready!\"", "Укажите путь для поиска и нажмите \"Готово!\""},
    {utPreparing,       "Prepairing...", "Готовлюсь..."},
    {utSearchingFiles,  "Searching files...", "Ищу файлы..."},
    {utSearchingImages, "Searching Mapped Images...", "Ищу Mapped Images..."},
    {utComparing,       "Comparing lists...", "Сравниваю списки..."},
    {utNoUsed,          "No used MI Found! Check \"INI\" folder files", "Не найдены указанные MI! Проверьте файлы папки \"INI\""},
    {utNoDefined,       "No defined MI found! Check \"MappedImages\" folder", "Не найдено объявление MI! Проверьте папку \"MappedImages\""},
    {utAllFine,         "That's Alright! No missing MI found", "Всё хорошо! Несуществующих MI не найдено"},
    {utDonePrefix,      "Done! Missing MI Total: ", "Готово! Найдено несуществующих MI: "},
    {utMissingPrefix,   "Missing MI called \"", "Несуществующая MI \""},
    {utInFile,          "\" in \"", "\" в \""},
    {utAtLine,          "\" at line ", "\", строка "},
    {utDoneSuffix,      ". Double click the line brings You to edit position", ". Двойной щелчок по строке в списке должен перенести Вас в место редактирования"},
    {utUsage,
     "usage: tessaron-check [options] ROOT\n"
     "Lists every use below ROOT of an image, or of a kind the project file's rules name,\n"
     "whose name no *.ini file declares.\n"
     "\n"
     "  --lang=ru|en          texts of the report (default ru)\n"
     "  --format=FORMAT       text (default), gnu, json or sarif\n"
     "  --declared-in=DIR     the declarations of the *.ini files below DIR count too (repeatable)\n"
     "  --names=FILE          the names in FILE, one a line, count as declared (repeatable)\n"
     "  --rules=FILE          the project file (default: ROOT/tessaron.toml when it exists)\n"
     "  --unused              also list the declared names that no use names\n"
     "  --duplicates          also list the names declared more than once\n"
     "  --baseline=FILE       do not report the findings that FILE lists\n"
     "  --write-baseline=FILE write the current findings to FILE and report none of them\n"
     "  --jobs=N              read and scan with N threads, 1 to 256 (default: one per hardware thread)\n"
     "  -h, --help            show this text\n"
     "  --version             show the version\n"
     "\n"
     "Exit status: 0 nothing to report, 1 findings reported, 2 usage error, refused root,\n"
     "or a file or folder that could not be read.\n",
     "использование: tessaron-check [параметры] ROOT\n"
     "Ищет в файлах *.ini ниже ROOT все указанные MI и имена видов из правил файла проекта,\n"
     "которые ни один файл *.ini не объявляет.\n"
     "\n"
     "  --lang=ru|en          язык текстов (по умолчанию ru)\n"
     "  --format=FORMAT       text (по умолчанию), gnu, json или sarif\n"
     "  --declared-in=DIR     объявления в файлах *.ini ниже DIR тоже учитываются (можно повторять)\n"
     "  --names=FILE          имена из FILE, по одному в строке, считаются объявленными (можно повторять)\n"
     "  --rules=FILE          файл проекта (по умолчанию ROOT/tessaron.toml, если он есть)\n"
     "  --unused              также показать объявленные MI, которые нигде не указаны\n"
     "  --duplicates          также показать MI, объявленные больше одного раза\n"
     "  --baseline=FILE       не сообщать о находках, перечисленных в FILE\n"
     "  --write-baseline=FILE записать текущие находки в FILE и не сообщать ни об одной из них\n"
     "  --jobs=N              читать и просматривать файлы в N потоков, от 1 до 256 (по умолчанию по числу потоков процессора)\n"
     "  -h, --help            показать этот текст\n"
     "  --version             показать версию\n"
     "\n"
     "Код возврата: 0 сообщать не о чем, 1 есть находки, 2 ошибка в параметрах, папка не принята\n"
     "или файл или папку не удалось прочитать.\n"},
    {utProgramPrefix,   "tessaron-check: ", nullptr},
    {utUnknownOption,   "unknown option ", "неизвестный параметр "},
    {utBadValue,        "invalid value for ", "недопустимое значение "},
    {utNeedsValue,      "a value is needed for ", "нужно значение для "},
    {utNoRoot,          "no ROOT given", "не указан ROOT"},
    {utExtraRoot,       "only one ROOT can be checked: ", "проверить можно только один ROOT: "},
    {utSeeHelp,         "try 'tessaron-check --help'\n", "подробнее: 'tessaron-check --help'\n"},
    {utOutOfMemory,     "Out of memory", "Недостаточно памяти"},
    {utWriteFailed,     "cannot write the output", "не могу записать вывод"},
    {utCannotRead,      "cannot read ", "не могу прочитать "},
    {utCannotWrite,     "cannot write ", "не могу записать "},
    {utNotADirectory,   "not a directory: ", "это не папка: "},
    {utStaleEntry,      "stale baseline entry: ", "устаревшая запись базового списка: "},
    {utBaselineCount,   "", "записано находок: "},  // before the count
    {utBaselineWritten, " findings written to the baseline ", ", базовый список "},
    {utUnusedPrefix,    "Unused MI \"", "Неиспользуемая MI \""},
    {utDuplicatePrefix, "Duplicate MI \"", "Повторно объявленная MI \""},
    {utPlaceOf,         " (declaration ", " (объявление "},
    {utPlaceOfTotal,    " of ", " из "},
    {utPlaceEnd,        ")", nullptr},
    {utFindingImage,    "Image \"", "MI \""},
    {utFindingUndeclared, "\" is used but declared in no definition file.", "\" указана, но не объявлена ни в одном файле."},
    {utFindingUnused,   "\" is declared but no checked definition uses it.", "\" объявлена, но не указана ни в одном проверенном файле."},
    {utFindingDuplicate, "\" is declared more than once.", "\" объявлена больше одного раза."},
    {utRuleMissing,     "Image used but never declared", "MI указана, но не объявлена"},
    {utRuleUnused,      "Image declared but never used", "MI объявлена, но не указана"},
    {utRuleDuplicate,   "Image declared more than once", "MI объявлена больше одного раза"},
    {utVersion,         "tessaron-check ", nullptr},  // before the version
    {utNotRegularFile,  "not a regular file", "это не обычный файл"},
    {utBadBaselineLine, "not a baseline entry: ", "это не запись базового списка: "},
    {utWarning,         "warning: ", "предупреждение: "},
    {utUtf8BomHidesKey, "a UTF-8 byte order mark hides the first line's key", "метка порядка байтов UTF-8 скрывает ключ первой строки"},
    {utUtf16Text,       "UTF-16 text, its lines are not read as definitions", "текст в UTF-16, его строки не читаются как определения"},
    {utUnusedTotal,     "Unused MI Total: ", "Неиспользуемых MI: "},
    {utDuplicateTotal,  "Duplicate MI Total: ", "Повторно объявленных MI: "},
    {utTotalsSeparator, "; ", nullptr},
    {utRepeatedOption,  "given more than once: ", "указан больше одного раза: "},
    {utBaselineOverDefinition, "the baseline would replace a definition file: ", "базовый список заменил бы файл определений: "},
    // A file rule's lines: the text, the rule's title, then the name.
    {utKindUndeclared,  "Undeclared ", "Не объявлено: "},
    {utKindUnused,      "Unused ", "Не используется: "},
    {utKindDuplicate,   "Duplicate ", "Объявлено повторно: "},
    {utKindName,        " \"", nullptr},
    // A file rule's summary: the title, then the counts of the kinds asked for.
    {utKindTotalUndeclared, ": undeclared ", ": не объявлено "},
    {utKindTotalUnused, "; unused ", "; не используется "},
    {utKindTotalDuplicate, "; duplicate ", "; объявлено повторно "},
    {utFindingKindUndeclared, "\" is used but declared in no definition file.", "\": указано, но не объявлено ни в одном файле."},
    {utFindingKindUnused, "\" is declared but no checked definition uses it.", "\": объявлено, но не указано ни в одном проверенном файле."},
    {utFindingKindDuplicate, "\" is declared more than once.", "\": объявлено больше одного раза."},
    {utRuleKindUndeclared, " used but never declared", ": указано, но не объявлено"},
    {utRuleKindUnused,  " declared but never used", ": объявлено, но не указано"},
    {utRuleKindDuplicate, " declared more than once", ": объявлено больше одного раза"},
    {utLspUsage,
     "usage: tessaron-lsp [--lang=ru|en] [--help] [--version]\n"
     "A language server for definition trees: speaks the Language Server Protocol on standard input and output.\n"
     "The editor starts it; the client's locale chooses the language of its messages.\n"
     "\n"
     "  --lang=ru|en  texts of this help (default ru)\n"
     "  --help        show this text\n"
     "  --version     show the version\n",
     "использование: tessaron-lsp [--lang=ru|en] [--help] [--version]\n"
     "Языковой сервер для файлов определений: говорит по Language Server Protocol через стандартные ввод и вывод.\n"
     "Его запускает редактор; язык сообщений выбирает локаль клиента.\n"
     "\n"
     "  --lang=ru|en  язык этой справки (по умолчанию ru)\n"
     "  --help        показать этот текст\n"
     "  --version     показать версию\n"},
    {utLspProgramPrefix, "tessaron-lsp: ", nullptr},
    {utLspVersion,      "tessaron-lsp ", nullptr},  // before the version
    {utLspOutside,      "the file is outside the workspace: ", "файл вне рабочей области: "},
    {utLspUnknownMethod, "unknown method: ", "неизвестный метод: "},
    {utLspMalformed,    "malformed message", "неверное сообщение"},
    {utLspNotInitialized, "the server is not initialized", "сервер не инициализирован"},
    {utLspNoName,       "no image name here", "здесь нет имени MI"},
    {utLspBadName,      "not a valid image name: ", "недопустимое имя MI: "},
    {utLspDeclaredIn,   "Declared in ", "Объявлена в "},
    {utLspLine,         ", line ", ", строка "},
    {utLspAlsoDeclared, "also declared here", "объявлена также здесь"},
    {utLspChangeTo,     "Change to ", "Заменить на "},
    {utLspTooDeep,      "the message nests too deep", "в сообщении слишком глубокая вложенность"},
    {utLspInitializedTwice, "the server is already initialized", "сервер уже инициализирован"},
    {utLspShuttingDown, "the server is shutting down", "сервер завершает работу"},
    {utLspBadPosition,  "not a position: ", "это не позиция: "},
    {utLspDeclaredElsewhere, "cannot rename a name declared outside the workspace's files, in ",
     "нельзя переименовать имя, объявленное вне файлов рабочей области, в "},
    {utLspProjectFaults, "the project file has faults; the last good rules stay in force: ",
     "в файле проекта ошибки; действуют последние верные правила: "},
    {utProjectSyntax,   "not TOML: ", "это не TOML: "},
    {utProjectUnknownKey, "unknown key ", "неизвестный ключ "},
    {utProjectNeedsBool, "true or false is needed for ", "нужно true или false для "},
    {utProjectNeedsString, "a string is needed for ", "нужна строка для "},
    {utProjectNeedsStrings, "an array of strings is needed for ", "нужен массив строк для "},
    {utProjectNeedsTables, "an array of tables is needed for ", "нужен массив таблиц для "},
    {utProjectNeedsTable, "a table is needed in ", "нужна таблица в "},
    {utProjectNoId,     "a rule needs an id", "у правила должен быть id"},
    {utProjectBadId,    "an id is a lower-case letter, then lower-case letters, digits and '-': ", "id - это строчная буква, за ней строчные буквы, цифры и '-': "},
    {utProjectRepeatedId, "an earlier rule has the id ", "id уже есть у правила выше: "},
    {utProjectImageId,  "the id image is the built-in image rule's", "id image занят встроенным правилом MI"},
    {utProjectNoDeclaredBy, "a rule needs at least one keyword in declared-by", "в declared-by правила нужно хотя бы одно ключевое слово"},
    {utProjectBadWord,  "a keyword or key is one word without blanks, '=', ';' or '//': ", "ключевое слово или ключ - это одно слово без пробелов, '=', ';' и '//': "},
    {utProjectNoKey,    "a use needs a key", "у use должен быть key"},
    {utProjectBadTokens, "tokens is \"N\" or \"N-\" with N of 1 or more: ", "tokens - это \"N\" или \"N-\", где N не меньше 1: "},
};
// clang-format on

static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == kTextCount, "one row per text");

std::array<std::string, kTextCount> InitialTexts() {
    std::array<std::string, kTextCount> texts;
    for (const TTextRow& row : kTexts) texts[row.Id] = row.Initial;
    return texts;
}

}  // namespace

std::array<std::string, kTextCount> UiText = InitialTexts();

void InstallRussianTexts() {
    for (const TTextRow& row : kTexts) {
        if (row.Russian != nullptr) UiText[row.Id] = Cp1251FromUtf8(row.Russian);
    }
}
