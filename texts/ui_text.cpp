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
