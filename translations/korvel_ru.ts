<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>FileDialogs</name>
    <message>
        <source>Mean light curves (*.sup)</source>
        <translation>Средние кривые (*.sup)</translation>
    </message>
    <message>
        <source>Other files (*.*)</source>
        <translation>Другие файлы (*.*)</translation>
    </message>
    <message>
        <source>KORVEL analysis (*.korvel.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find file</source>
        <translation>Поиск файла</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>Все файлы (*.*)</translation>
    </message>
    <message>
        <source>Stars (*.dat *.ne2 *.o)</source>
        <translation>Звезды (*.dat *.ne2 *.o)</translation>
    </message>
    <message>
        <source>Set a name for the new file...</source>
        <translation>Установите имя для нового файла...</translation>
    </message>
    <message>
        <source>Find the mean light curve file</source>
        <translation>Поиск файла средней кривой блеска</translation>
    </message>
    <message>
        <source>Save analysis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open analysis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG picture (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SVG picture (*.svg)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF document (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>korvel::gui::BandChoice</name>
    <message>
        <source>Band:</source>
        <translation>Полоса:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Формат:</translation>
    </message>
    <message>
        <source>Recognised from the file</source>
        <translation>Определяется по файлу</translation>
    </message>
    <message>
        <source>Select an observation file to see its format</source>
        <translation>Выберите файл наблюдений, чтобы увидеть его формат</translation>
    </message>
    <message>
        <source>Recognised: %1</source>
        <translation>Определён: %1</translation>
    </message>
    <message>
        <source>The format the file is read in: the one recognised from its content, or another when that is wrong; the Band box lists the bands as read in the format chosen</source>
        <translation>Формат, в котором читается файл: определённый по его содержимому или другой, если тот определён неверно; список полос показывает полосы файла, прочитанного в выбранном формате</translation>
    </message>
    <message>
        <source>All in file</source>
        <translation>Весь файл</translation>
    </message>
    <message>
        <source>This file names no bands: every observation in it is read</source>
        <translation>В файле не указаны полосы: читаются все его наблюдения</translation>
    </message>
    <message>
        <source>This file cannot be read as observations in this format: Open says why</source>
        <translation>Этот файл нельзя прочитать как наблюдения в этом формате: причину сообщит команда Open</translation>
    </message>
    <message>
        <source>Select an observation file to see its bands</source>
        <translation>Выберите файл наблюдений, чтобы увидеть его полосы</translation>
    </message>
    <message>
        <source>The band to read from this file, with its usable rows (flagged rows, limits and missing values left out); the band with most rows comes first</source>
        <translation>Полоса, которая будет прочитана из файла, с числом пригодных строк (без отмеченных строк, пределов и пропущенных значений); первой идёт полоса с наибольшим числом строк</translation>
    </message>
</context>
</TS>
