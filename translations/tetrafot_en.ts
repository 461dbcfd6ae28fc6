<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>InterfaceLanguage</name>
    <message>
        <source>Русский</source>
        <translation>English</translation>
    </message>
</context>
<context>
    <name>TfrmFiles</name>
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
</context>
<context>
    <name>TfrmMain</name>
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
        <source>RAW-файлы</source>
        <translation>RAW files</translation>
    </message>
    <message>
        <source>JPEG и RAW-файлы</source>
        <translation>JPEG and RAW files</translation>
    </message>
    <message>
        <source>превью %1 × %2</source>
        <translation>preview %1 × %2</translation>
    </message>
</context>
<context>
    <name>TfrmOptions</name>
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
</context>
</TS>
