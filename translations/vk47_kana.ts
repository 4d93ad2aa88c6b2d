<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>vk47</name>
    <message>
        <location filename="../link/robot_link.cpp" line="+32"/>
        <source>ポートを閉じました。次の操作でポートを開き直します。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>転送を中断しました。16 ステップのうち %1 ステップを送信しました。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+42"/>
        <source>シリアルポート %1 を開けません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>中断しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>実行命令を送れませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../serial/comm_error.cpp" line="+28"/>
        <source>シリアルポート %1 が見つかりません。ケーブルとアダプタの接続を確かめてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 が見つかりません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 は他のプログラムが使用中です。そのプログラムを閉じてから、もう一度送ってください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 は他のプログラムが使用中です</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 を開く権限がありません。先生に知らせてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 を開く権限がありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 はこの通信設定に対応していません。先生に知らせてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 はこの通信設定に対応していません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 との接続が切れました。ロボットの電源とケーブル、アダプタを確かめてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ロボットとの接続が切れました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 への送信が時間内に終わりませんでした。ロボットの電源とケーブルを確かめてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ロボットが受け取りません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 への送信が途中で終わりました。ロボットの電源とケーブルを確かめてください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>送信が途中で終わりました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 が開かれていません。もう一度送ってください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 が開かれていません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ポート名 &quot;%1&quot; は使えません。設定で COM1〜COM4 のどれかを選んでください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ポート名が使えません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 につながっていた仮想ロボットはもう動いていません。起動し直してから、もう一度送ってください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>仮想ロボットが動いていません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>シリアルポート %1 を使えません。アダプタを抜いて、差し直してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1 を使えません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+39"/>
        <source>デバイス: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>先生へ: Linux ではユーザーを dialout グループに加えて、ログインし直してください (%1)。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>使えるポート名: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>先生へ: %1 で起動し直します。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>システムの説明: %1 (エラー番号 %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../settings/port_setting.cpp" line="+30"/>
        <source>%1 に書き込めません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>設定を保存できません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>別のプログラムが書き込み中です。しばらく待ってから、もう一度試してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../settings/settings_folder.cpp" line="+84"/>
        <source>ディレクトリを作成することができません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../model/program_file.cpp" line="+104"/>
        <source>リストのインデックスが範囲を超えています (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&apos;%1&apos; は整数ではありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 行目の値 %2 はロボットの命令ではありません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>ファイル %1 は開けません</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>ファイル %1 を作成できません</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
