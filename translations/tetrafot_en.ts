<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>DecodePipeline</name>
    <message>
        <source>Недостаточно памяти, чтобы показать изображение &quot;%1&quot;.</source>
        <translation>Not enough memory to show the picture &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать изображение &quot;%1&quot;: %2</source>
        <translation>Cannot read the picture &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1: не удалось декодировать изображение.</source>
        <translation>%1: the picture could not be decoded.</translation>
    </message>
</context>
<context>
    <name>Exposure</name>
    <message>
        <source>Недостаточно памяти, чтобы показать ошибки экспозиции.</source>
        <translation>Not enough memory to paint the exposure overlay.</translation>
    </message>
</context>
<context>
    <name>FileOps</name>
    <message>
        <source>Не удаётся переместить файл &quot;%1&quot; в &quot;%2&quot;: %3</source>
        <translation>Cannot move the file &quot;%1&quot; to &quot;%2&quot;: %3</translation>
    </message>
    <message>
        <source>Не удаётся удалить перемещённый файл &quot;%1&quot;: %2</source>
        <translation>Cannot remove the moved file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл &quot;%1&quot;: %2</source>
        <translation>Cannot read the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Не удаётся записать копию</source>
        <translation>Cannot write the copy</translation>
    </message>
    <message>
        <source>Не удаётся удалить файл &quot;%1&quot;: %2</source>
        <translation>Cannot delete the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл &quot;%1&quot;: %2.</source>
        <translation>Cannot read the file &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>файл не существует</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>Не удаётся изменить права доступа к файлу &quot;%1&quot;: %2.</source>
        <translation>Cannot change the permissions of the file &quot;%1&quot;: %2.</translation>
    </message>
</context>
<context>
    <name>FolderComparison</name>
    <message>
        <source>Нет файла № %1 в папке %2</source>
        <translation>No file no. %1 in the folder %2</translation>
    </message>
    <message>
        <source>Нет файла «%1» в папке %2</source>
        <translation>No file “%1” in the folder %2</translation>
    </message>
</context>
<context>
    <name>IniProfile</name>
    <message>
        <source>Не удаётся прочитать файл настроек &quot;%1&quot;: %2</source>
        <translation>Cannot read the settings file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Не удаётся записать файл настроек</source>
        <translation>Cannot write the settings file</translation>
    </message>
</context>
<context>
    <name>InterfaceLanguage</name>
    <message>
        <source>Русский</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>JpegPicture</name>
    <message>
        <source>Недостаточно памяти, чтобы показать изображение &quot;%1&quot;.</source>
        <translation>Not enough memory to show the picture &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл &quot;%1&quot;: %2</source>
        <translation>Cannot read the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1Изображение слишком велико: %2 x %3 пикселей в масштабе 1:%4 заняли бы больше 1 ГиБ памяти.</source>
        <translation>%1The picture is too large to show: %2 x %3 pixels at 1:%4 would need more than 1 GiB of memory.</translation>
    </message>
</context>
<context>
    <name>Marks</name>
    <message>
        <source>Не удаётся прочитать файл отметок</source>
        <translation>Cannot read the marks file</translation>
    </message>
    <message>
        <source>Не удаётся удалить файл отметок</source>
        <translation>Cannot delete the marks file</translation>
    </message>
    <message>
        <source>Не удаётся записать файл отметок</source>
        <translation>Cannot write the marks file</translation>
    </message>
    <message>
        <source>Не удаётся отметить &quot;%1&quot;: в имени файла есть перевод строки, а файл отметок не может его хранить</source>
        <translation>Cannot mark &quot;%1&quot;: its name contains a line break, which the marks file cannot hold</translation>
    </message>
</context>
<context>
    <name>PaneSet</name>
    <message>
        <source>превью %1 × %2</source>
        <translation>preview %1 × %2</translation>
    </message>
</context>
<context>
    <name>RawPreview</name>
    <message>
        <source>Не удаётся показать RAW-файл &quot;%1&quot;: %2</source>
        <translation>Cannot show the RAW file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Не удаётся прочитать файл &quot;%1&quot;: %2</source>
        <translation>Cannot read the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>он обрезан</source>
        <translation>it is cut short</translation>
    </message>
    <message>
        <source>это не RAW-файл известной камеры</source>
        <translation>it is no RAW file of a known camera</translation>
    </message>
    <message>
        <source>в нём нет превью</source>
        <translation>it holds no preview</translation>
    </message>
    <message>
        <source>его превью нельзя показать</source>
        <translation>its preview is of a kind that cannot be shown</translation>
    </message>
    <message>
        <source>не хватает памяти</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>не удаётся запустить программу разбора RAW-файлов: %1</source>
        <translation>the program that reads RAW files cannot be started: %1</translation>
    </message>
    <message>
        <source>RAW-файл повреждён: разбор его заголовков не закончился вовремя</source>
        <translation>the RAW file is damaged: reading its headers did not finish in time</translation>
    </message>
    <message>
        <source>RAW-файл повреждён: разбор его заголовков прерван</source>
        <translation>the RAW file is damaged: reading its headers broke off</translation>
    </message>
    <message>
        <source>он повреждён или обрезан</source>
        <translation>it is damaged or cut short</translation>
    </message>
    <message>
        <source>его превью (%1 байт с позиции %2) выходит за конец файла (%3 байт)</source>
        <translation>its preview (%1 bytes at %2) lies beyond the end of the file (%3 bytes)</translation>
    </message>
    <message>
        <source>его превью больше %1 байт</source>
        <translation>its preview is larger than %1 bytes</translation>
    </message>
</context>
<context>
    <name>SafeFile</name>
    <message>
        <source>это папка</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>он больше %1 байт</source>
        <translation>it is larger than %1 bytes</translation>
    </message>
</context>
<context>
    <name>tetrafot::TfrmCompare</name>
    <message>
        <source>Сравнить папки</source>
        <translation>Compare folders</translation>
    </message>
    <message>
        <source>Две–четыре папки: снимки с одинаковыми именами показываются рядом. Одна папка — обычный просмотр.</source>
        <translation>Two to four folders: photos of the same name are shown side by side. One folder: the usual view.</translation>
    </message>
    <message>
        <source>Выбрать папку</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>Сопоставлять по порядку, а не по имени</source>
        <translation>Match by position, not by name</translation>
    </message>
    <message>
        <source>Только снимки, которые есть во всех папках</source>
        <translation>Only photos that every folder holds</translation>
    </message>
</context>
<context>
    <name>tetrafot::TfrmFiles</name>
    <message>
        <source>Клавиша K - копировать файл
M - переместить
D - удалить</source>
        <translation>Key K - copy the file
M - move it
D - delete it</translation>
    </message>
    <message>
        <source>П&amp;апка назначения:</source>
        <translation>Destination fo&amp;lder:</translation>
    </message>
    <message>
        <source>&amp;Операция:</source>
        <translation>O&amp;peration:</translation>
    </message>
    <message>
        <source>Копировать файл (K)</source>
        <translation>Copy the file (K)</translation>
    </message>
    <message>
        <source>Переместить файл (M)</source>
        <translation>Move the file (M)</translation>
    </message>
    <message>
        <source>Удалить файл (D)</source>
        <translation>Delete the file (D)</translation>
    </message>
    <message>
        <source>Операции с исходными файлами</source>
        <translation>Operations on the source (RAW) files</translation>
    </message>
    <message>
        <source>&amp;Производить операции также с файлами:</source>
        <translation>&amp;Also apply to the files with extensions:</translation>
    </message>
    <message>
        <source>Для нахождения исходных файлов убрать из имени JPG файла...</source>
        <translation>To find the source files, remove from the JPG file&apos;s name...</translation>
    </message>
    <message>
        <source>Пре&amp;фикс:</source>
        <translation>Pre&amp;fix:</translation>
    </message>
    <message>
        <source>&amp;Суффикс:</source>
        <translation>&amp;Suffix:</translation>
    </message>
    <message>
        <source>Пере&amp;записывать существующие файлы</source>
        <translation>Over&amp;write existing files</translation>
    </message>
    <message>
        <source>Files operations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обзор</source>
        <translation>Browse</translation>
    </message>
</context>
<context>
    <name>tetrafot::TfrmMain</name>
    <message>
        <source>Показать/скрыть список файлов</source>
        <translation>Show/hide the file list</translation>
    </message>
    <message>
        <source>Масштаб выбранного изображения 1:8</source>
        <translation>Scale the selected picture 1:8</translation>
    </message>
    <message>
        <source>Масштаб выбранного изображения 1:4</source>
        <translation>Scale the selected picture 1:4</translation>
    </message>
    <message>
        <source>Масштаб выбранного изображения 1:2</source>
        <translation>Scale the selected picture 1:2</translation>
    </message>
    <message>
        <source>Масштаб выбранного изображения 1:1</source>
        <translation>Scale the selected picture 1:1</translation>
    </message>
    <message>
        <source>Выбрать цвет фона...</source>
        <translation>Choose the background colour...</translation>
    </message>
    <message>
        <source>Показывать данные EXIF выбранного изображения</source>
        <translation>Show the EXIF data of the selected picture</translation>
    </message>
    <message>
        <source>Открыть изображение в ассоциированной программе</source>
        <translation>Open the picture in its associated program</translation>
    </message>
    <message>
        <source>Синхронизировать масштаб и положение изображений</source>
        <translation>Synchronize the scale and position of the pictures</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Не удаётся открыть папку &quot;%1&quot;: %2.</source>
        <translation type="vanished">Cannot list the folder &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>Выбрать папку</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>JPEG files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмеченные файлы</source>
        <translation>Marked files</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation type="vanished">it is not a regular file</translation>
    </message>
    <message>
        <source>RAW-файлы</source>
        <translation>RAW files</translation>
    </message>
    <message>
        <source>JPEG и RAW-файлы</source>
        <translation>JPEG and RAW files</translation>
    </message>
    <message>
        <source>Сравнить папки...</source>
        <translation>Compare folders...</translation>
    </message>
</context>
<context>
    <name>tetrafot::TfrmOptions</name>
    <message>
        <source>Инструменты</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Запускать по клавише &amp;P:</source>
        <translation>Run on key &amp;P:</translation>
    </message>
    <message>
        <source>Запускать по клавише &amp;N:</source>
        <translation>Run on key &amp;N:</translation>
    </message>
    <message>
        <source>макропараметры:
%d - директория файла с последним бэкслэшем (&apos;d:\path\&apos;)
%f - имя файла (&apos;file&apos;)
%e - расширение (&apos;ext&apos;)
%p - полное имя файла (&apos;d:\path\file.ext&apos;)
(%p==%d%f.%e)</source>
        <translation>macro parameters:
%d - the file&apos;s folder with the last backslash (&apos;d:\path\&apos;)
%f - the file name (&apos;file&apos;)
%e - the extension (&apos;ext&apos;)
%p - the full file name (&apos;d:\path\file.ext&apos;)
(%p==%d%f.%e)</translation>
    </message>
    <message>
        <source>Подписи под изображениями</source>
        <translation>Captions under the pictures</translation>
    </message>
    <message>
        <source>Шаблон подписи:</source>
        <translation>Caption template:</translation>
    </message>
    <message>
        <source>Подставляемые поля EXIF:
%m - Model,
%d - Date/Time,
%i - ISO,
%s - Shutter speed,</source>
        <translation>EXIF fields to insert:
%m - Model,
%d - Date/Time,
%i - ISO,
%s - Shutter speed,</translation>
    </message>
    <message>
        <source>Цвета ошибочной экспозиции</source>
        <translation>Exposure error colours</translation>
    </message>
    <message>
        <source>Цвет недоэкспонированной области:</source>
        <translation>Colour of underexposed areas:</translation>
    </message>
    <message>
        <source>&amp;Цвет переэкспонированной области:</source>
        <translation>&amp;Colour of overexposed areas:</translation>
    </message>
    <message>
        <source>Определение ошибок экспозиции</source>
        <translation>Exposure error detection</translation>
    </message>
    <message>
        <source>Определение недосвета</source>
        <translation>Underexposure</translation>
    </message>
    <message>
        <source>Полностью &amp;черный цвет</source>
        <translation>Fully &amp;black</translation>
    </message>
    <message>
        <source>Хотя бы в одном канале &amp;0</source>
        <translation>At least one channel at &amp;0</translation>
    </message>
    <message>
        <source>Модуль цвета меньше &amp;3</source>
        <translation>Colour magnitude below &amp;3</translation>
    </message>
    <message>
        <source>Определение пересвета</source>
        <translation>Overexposure</translation>
    </message>
    <message>
        <source>Полностью &amp;белый цвет</source>
        <translation>Fully &amp;white</translation>
    </message>
    <message>
        <source>Хотя бы в одном канале &amp;255</source>
        <translation>At least one channel at &amp;255</translation>
    </message>
    <message>
        <source>Модуль цвета больше &amp;438</source>
        <translation>Colour magnitude above &amp;438</translation>
    </message>
    <message>
        <source>Модуль_цвета(R,G,B) = sqrt( R^2 + G^2 + B^2 )</source>
        <translation>Colour_magnitude(R,G,B) = sqrt( R^2 + G^2 + B^2 )</translation>
    </message>
    <message>
        <source>Максимальный &amp;размер 
(высота/ширина) картинки,
 показываемой в полном качестве
при подогнанном размере:</source>
        <translation>Maximum &amp;size (height/width)
of a picture shown in full
quality when fitted to
the pane:</translation>
    </message>
    <message>
        <source>Язык меняется при следующем запуске программы</source>
        <translation>The language changes at the next start of the program</translation>
    </message>
    <message>
        <source>&amp;Язык интерфейса:</source>
        <translation>Interface &amp;language:</translation>
    </message>
    <message>
        <source>Показывать метку &amp;RAW, если есть файл хотя бы один RAW-файл (не отмечено - только если есть все)</source>
        <translation>Show the &amp;RAW mark when at least one RAW file exists (unchecked: only when all of them exist)</translation>
    </message>
    <message>
        <source>Поворачивать по &amp;ориентации из EXIF</source>
        <translation>Rotate by EXIF &amp;orientation</translation>
    </message>
    <message>
        <source>&amp;Плавное масштабирование</source>
        <translation>S&amp;mooth scaling</translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%a - Aperture,
%b - Exposure bias,
%f - Focal Length,
%c - User comment,
%p - Color Space.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обзор</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>EXE files (*.exe);;COM files (*.com);;BAT files (*.bat);;CMD files (*.cmd);;Executable files (*.exe *.com *.bat *.cmd);;All files (*.*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*);;EXE files (*.exe);;COM files (*.com);;BAT files (*.bat);;CMD files (*.cmd);;Executable files (*.exe *.com *.bat *.cmd)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tetrafot::ViewSession</name>
    <message>
        <source>папка не существует</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>это не папка</source>
        <translation>it is not a folder</translation>
    </message>
    <message>
        <source>нет доступа</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>Не удаётся открыть папку &quot;%1&quot;: %2.</source>
        <translation>Cannot list the folder &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>не удаётся войти в папку</source>
        <translation>cannot enter the folder</translation>
    </message>
    <message>
        <source>Не удаётся открыть папку %1.</source>
        <translation>Cannot open the folder %1.</translation>
    </message>
    <message>
        <source>Панель %1 — образец, с которым сравниваются другие панели. Выберите другую панель или закрепите образец клавишей A.</source>
        <translation>Pane %1 is the reference the other panes are compared with. Choose another pane, or pin the reference with A.</translation>
    </message>
    <message>
        <source>В панели %1 нет снимка, с которым сравнивать.</source>
        <translation>Pane %1 shows no photo to compare with.</translation>
    </message>
    <message>
        <source>разница с панелью %1, ×%2</source>
        <translation>difference from pane %1, ×%2</translation>
    </message>
    <message>
        <source>размеры разные, сравнивается общая область %1 × %2</source>
        <translation>sizes differ, the common area %1 × %2 is compared</translation>
    </message>
</context>
</TS>
