<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>mainwindow</name>
    <message>
        <source>Lumora X8 Setting Software</source>
        <translation>Lumora X8 設定ソフトウェア</translation>
    </message>
</context>
</TS>
