// The texts of the window, its dialogs and the settings file, each in one place. In these
// texts \r\n (or a lone \r) is a line break as a caption, hint or message box shows it.
#ifndef SKARNVEL_UI_UI_TEXTS_H_
#define SKARNVEL_UI_UI_TEXTS_H_

namespace ui::texts {

// The main window.
inline constexpr char kCaption[] = "Сравнение структур БД МS Access";
inline constexpr char kMenuAbout[] = "О программе...";
inline constexpr char kGbPath[] = "Выбор баз данных";
inline constexpr char kLabel1[] = "РАБОЧАЯ БД (со старой структурой, которую нужно изменить)";
inline constexpr char kPathButton[] = "...";
inline constexpr char kPathButtonHint[] = "Указать файл БД...";
inline constexpr char kPasswordLabel[] = "Пароль";
inline constexpr char kLabel2[] = "НОВАЯ БД (со структурой, которую нужно загрузить)";
inline constexpr char kRenameByPosition[] = "по позиции полей";
inline constexpr char kRenameByProperties[] = "по свойствам полей";
inline constexpr char kRenameByBoth[] = "по позиции и свойствам";
inline constexpr char kRgRenameFieldHint[] =
    "Свойства поля - это тип, размер, обязательность, значение по умолчанию";
inline constexpr char kCbRenameField[] = "Определять переименование полей";
inline constexpr char kCbRefresh[] = "Обновлять список изменений\r\nв индексах и связях";
inline constexpr char kCbRefreshHint[] =
    "Выполнять сравнение индексов и связей\r\nпосле выполнения команд для таблиц\r\n(иначе может "
    "сложиться ситуация,\r\nкогда на предыдущем шаге будет удалена таблица или "
    "поле,\r\nучаствующее в индексе или связи).";
inline constexpr char kCbPre[] = "Перед сравнением таблиц\r\nзагружать сохраненные действия";
inline constexpr char kBSaveIni[] = "Сохранить настройки";
inline constexpr char kBSaveIniHint[] =
    "Сохранить настройки...\r\nНастройки будут автоматически загружены при следующем запуске.";
inline constexpr char kBCompareAll[] = "Сравнить всё";
inline constexpr char kBCompareAllHint[] = "Сравнить структуры указанных баз данных";
inline constexpr char kBRunAll[] = "Выполнить всё";
inline constexpr char kBRunAllHint[] =
    "Выполнить все отмеченные действия\r\n\r\nВ большинстве случаев действия по обновлению "
    "структуры БД выполняются SQL-командами.\r\nДействия над запросами выполняются методами "
    "объектов DAO.\r\nТакже через DAO выполняются следующие действия:\r\n- снятие обязательности "
    "поля;\r\n- переименование поля.";
inline constexpr char kBCheckData[] = "Проверить данные";
inline constexpr char kBCheckDataHint[] =
    "Проверить, что отмеченные действия сделают с данными рабочей БД:\r\nсколько строк и "
    "значений будет потеряно и какие действия будут отклонены.\r\nРабочая БД не изменяется.";
inline constexpr char kBTrialRun[] = "Пробный запуск";
inline constexpr char kBTrialRunHint[] =
    "Выполнить сравнение и все действия на временной копии рабочей БД\r\nи показать, что "
    "удалось, что нет и какие различия останутся.\r\nРабочая БД не изменяется, копия удаляется.";
inline constexpr char kDataPageName[] = "TabData";
inline constexpr char kDataColumnList[] = "Список";
inline constexpr char kDataColumnCommand[] = "Команда";
inline constexpr char kDataColumnFinding[] = "Что будет с данными";
inline constexpr char kBSaveXML[] = "Сохранить все действия";
inline constexpr char kBSaveXMLHint[] =
    "Сохранить все действия (результаты сравнения) в файлы\r\n(будут автоматически загружены при "
    "следующем запуске)";
inline constexpr char kBCompare[] = "Сравнить таблицы";
inline constexpr char kBRun[] = "Выполнить действия";
inline constexpr char kBVDef[] = "Новые поля";
inline constexpr char kBSaveT[] = "Сохранить действия";
inline constexpr char kBICompare[] = "Сравнить индексы";
inline constexpr char kBfkCompare[] = "Сравнить связи";
inline constexpr char kBQCompare[] = "Сравнить запросы";
inline constexpr char kTabSheet5[] = "TabSheet5";
inline constexpr char kBCompareHint[] =
    "Сравниваются имена таблиц, при их совпадении - имена полей,\r\nпри их совпадении - свойства "
    "полей (тип данных, размер в случае текстового типа, обязательность, значение по "
    "умолчанию).\r\nСравнение основывается на допущении, что объекты структуры базы данных либо "
    "создаются, либо удаляются,\r\nт.е. случай переименования таблицы/поля будет расценен как "
    "удаление и добавление таблицы/поля\r\n(для полей справедливо, если флаг \"Определять "
    "переименование полей\" снят).";
inline constexpr char kBICompareHint[] =
    "Сравниваются только первичные ключи и уникальные индексы.\r\nИндексы сравниваются не по имени "
    "индекса, а по имени поля.";
inline constexpr char kBfkCompareHint[] =
    "Связи сравниваются не по имени внешнего ключа,\r\nа по полям "
    "связи:\r\nPK_TABLE_NAME.PK_COLUMN_NAME -< FK_TABLE_NAME.FK_COLUMN_NAME";
inline constexpr char kBQCompareHint[] = "Сравнение запросов выполняются методами объектов DAO";
inline constexpr char kBRunHint[] = "Выполнить отмеченные действия";
inline constexpr char kBSaveTHint[] =
    "Сохранить действия в файл\r\n(будут автоматически загружены при следующем запуске)";
inline constexpr char kMarkAllHint[] = "Отметить все";
inline constexpr char kUnmarkAllHint[] = "Снять все";
inline constexpr char kInvertHint[] = "Инвертировать";
inline constexpr char kBVDefHint[] = "Отметить с результатом \"Новое поле\"";
inline constexpr char kBDelHint[] = "Удалить все со снятыми флажками";
inline constexpr char kButton1[] = "Button1";
inline constexpr char kDebugTable[] = "Prolong";
inline constexpr char kDatabaseFilter[] = "Базы данных МS Access (*.mdb)|*.mdb";
// Offered after Access's own: the text databases of this program, and any file (the kind is
// told by the content).
inline constexpr char kOtherDatabaseFilters[] =
    "Текстовые базы данных Skarnvel (*.skdb)|*.skdb|Все файлы (*)|*";

// The grids.
inline constexpr char kTicked[] = "True";
inline constexpr char kUnticked[] = "False";
inline constexpr char kBoldMark[] = ";";
inline constexpr char kNewMark[] = "Нов";
inline constexpr char kDroppedMark[] = "Удален";
inline constexpr char kTabCountMark[] = "-";

// The settings file.
inline constexpr char kIniExtension[] = ".ini";
inline constexpr char kSection[] = "Start";
inline constexpr char kKeyPath1[] = "Path1";
inline constexpr char kKeyPath2[] = "Path2";
inline constexpr char kKeyPwd1[] = "Pwd1";
inline constexpr char kKeyPwd2[] = "Pwd2";
inline constexpr char kKeyCbRenameField[] = "cbRenameField";
inline constexpr char kKeyRgRenameField[] = "rgRenameField";
inline constexpr char kKeyCbRefresh[] = "cbRefresh";
inline constexpr char kKeyCbPre[] = "cbPre";
inline constexpr char kKeyFonOnRelation[] = "FonOnRelation";
inline constexpr char kKeyFonOnDataLoss[] = "FonOnDataLoss";

// The query result dialog.
inline constexpr char kQResCaption[] = "Результат сравнения запросов";
inline constexpr char kQResResult[] = "Результат";
inline constexpr char kQResAct[] = "Действие";
inline constexpr char kQResName[] = "Запрос";
inline constexpr char kQResOldGroup[] = "Старый текст SQL";
inline constexpr char kQResNewGroup[] = "Новый текст SQL";
inline constexpr char kQResOK[] = "ОК";
inline constexpr char kQResCancel[] = "Отмена";

// The About dialog.
inline constexpr char kAboutCaption[] = "О программе";
inline constexpr char kDirLabel[] = "Директория программы:";
inline constexpr char kEmailLabel[] = "E-mail: ";
inline constexpr char kMailHint[] = "Написать письмо";
inline constexpr char kMessengerLabel[] = "Skype:";
inline constexpr char kAboutOK[] = "OK";
inline constexpr char kMailto[] = "mailto:";

// Message boxes.
inline constexpr char kYes[] = "Да";
inline constexpr char kNo[] = "Нет";
inline constexpr char kCancel[] = "Отмена";
inline constexpr char kOK[] = "OK";

// The window's own texts.
inline constexpr char kMessageBoxCaption[] = "Skarnvel";
inline constexpr char kFirstRowHint[] = "Первая запись";
inline constexpr char kLastRowHint[] = "Последняя запись";
inline constexpr char kPostHint[] = "Сохранить изменения";
inline constexpr char kMemoEditorCaption[] = "Редактирование текста";
inline constexpr char kOpenDialogCaption[] = "Выбор файла базы данных";
inline constexpr char kSettingsNotReadable[] =
    "Настройки не прочитаны, взяты значения по умолчанию.";
inline constexpr char kNoCharacterInCodePage[] =
    "символ «%1» нельзя записать в кодировке Windows-1251";

// The About dialog's contents.
inline constexpr char kLegalNotice[] =
    "Skarnvel распространяется «как есть», без каких-либо гарантий.\n"
    "Авторы не отвечают за ущерб от её использования.\n"
    "Перед изменением структуры сохраните копию рабочей БД.\n"
    "Все права на программу принадлежат её авторам.";
inline constexpr char kMakerLine[] = "Разработка: команда проекта Skarnvel";
inline constexpr char kContactMail[] = "skarnvel@example.org";
inline constexpr char kMessengerName[] = "skarnvel";

}  // namespace ui::texts

#endif  // SKARNVEL_UI_UI_TEXTS_H_
