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
</TS>
