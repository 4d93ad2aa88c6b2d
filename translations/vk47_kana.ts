<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="ja">
<context>
    <name>FileOpenError</name>
    <message>
        <location filename="../ui/editor/TImage.cpp" line="+10"/>
        <source>ファイル %1 は開けません</source>
        <translation>ファイル %1 は ひらけません</translation>
    </message>
</context>
<context>
    <name>ProgramDocument</name>
    <message>
        <location filename="../ui/editor/ProgramDocument.cpp" line="+109"/>
        <source>無題</source>
        <translation>むだい</translation>
    </message>
</context>
<context>
    <name>ProgramSheet</name>
    <message>
        <location filename="../ui/editor/ProgramSheet.cpp" line="+193"/>
        <source>PDF ファイル %1 を作成できません。</source>
        <translation>PDF ファイル %1 を つくれません。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。</source>
        <translation>べつの なまえに するか、べつの フォルダ (ドキュメントなど) に ほぞんしてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>システムの説明: %1</source>
        <translation>システムの せつめい: %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>PDF を作成できませんでした</source>
        <translation>PDF を つくれませんでした</translation>
    </message>
</context>
<context>
    <name>TClassSendDialog</name>
    <message>
        <location filename="../ui/robot/ClassSendDialog.cpp" line="+76"/>
        <location line="+305"/>
        <source>クラスに転送</source>
        <translation>クラスに てんそう</translation>
    </message>
    <message>
        <location line="-301"/>
        <source>チェックしたロボット全部に、いまのプログラムを同時に送ります。つながっているポートには、はじめからチェックが入っています。</source>
        <translation>チェックした ロボット ぜんぶに、いまの プログラムを いっしょに おくります。つながっている ポートには、はじめから チェックが はいっています。</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>更新</source>
        <translation>こうしん</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>転送</source>
        <translation>てんそう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>実行</source>
        <translation>じっこう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>閉じる</source>
        <translation>とじる</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>ポート</source>
        <translation>ポート</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>デバイス</source>
        <translation>デバイス</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>進み具合</source>
        <translation>すすみぐあい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>結果</source>
        <translation>けっか</translation>
    </message>
    <message>
        <location line="+104"/>
        <source>送り先のロボットにチェックを入れてください。</source>
        <translation>おくりさきの ロボットに チェックを いれてください。</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 台に転送しています…</source>
        <translation>%1 だいに てんそうしています…</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1 台に実行命令を送っています…</source>
        <translation>%1 だいに じっこうの めいれいを おくっています…</translation>
    </message>
    <message>
        <location line="+99"/>
        <source>%1 台のうち %2 台がプログラム全体を受け取りました。</source>
        <translation>%1 だいのうち %2 だいが プログラムを ぜんぶ うけとりました。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 台のうち %2 台に実行命令を送りました。</source>
        <translation>%1 だいのうち %2 だいに じっこうの めいれいを おくりました。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>届かなかったロボット: %1</source>
        <translation>とどかなかった ロボット: %1</translation>
    </message>
    <message>
        <location line="-60"/>
        <source>送信を始められません。ほかのプログラムを閉じてから、もう一度試してください。</source>
        <translation>そうしんを はじめられません。ほかの プログラムを とじてから、もう いちど ためして ください。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>システムの説明: %1</source>
        <translation>システムの せつめい: %1</translation>
    </message>
    <message>
        <location line="+51"/>
        <source>転送を中断しました。送信できたステップ: %1</source>
        <translation>てんそうを ちゅうだん しました。そうしん できた ステップ: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>実行命令の送信を中断しました。%1 台のうち %2 台に送りました。</source>
        <translation>じっこうの めいれいの そうしんを ちゅうだん しました。%1 だいのうち %2 だいに おくりました。</translation>
    </message>
</context>
<context>
    <name>TCommandMenu</name>
    <message>
        <location filename="../ui/editor/CommandMenu.cpp" line="+39"/>
        <source>命令の一覧</source>
        <translation>めいれいの いちらん</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <location filename="../ui/Unit1.cpp" line="+216"/>
        <source>クリア</source>
        <translation>クリア</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>クリアしました。Ctrl+Z で元に戻せます</source>
        <translation>クリアしました。Ctrl+Z で もとに もどせます</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>ステップ %1 に %2 を置きました</source>
        <translation>ステップ %1 に %2 を おきました</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>ヘルプのページを開けませんでした。先生に知らせてください。</source>
        <translation>ヘルプの ページを ひらけませんでした。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ブラウザで次のファイルを開いてください: %1</source>
        <translation>ブラウザで つぎの ファイルを ひらいてください: %1</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>ひらがなの言葉のファイルが読めません。先生に知らせてください。</source>
        <translation>ひらがなの ことばの ファイルが よめません。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ファイル: %1</source>
        <translation>ファイル: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>ひらがなで表示します</source>
        <translation>ひらがなで ひょうじします</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>漢字を使って表示します</source>
        <translation>かんじを つかって ひょうじします</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>値の変更</source>
        <translation>あたいの へんこう</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ステップ %1 の値を %2 にしました</source>
        <translation>ステップ %1 の あたいを %2 に しました</translation>
    </message>
    <message>
        <location line="-73"/>
        <source>ステップ %1 に置く</source>
        <translation>ステップ %1 に おく</translation>
    </message>
    <message>
        <location filename="../ui/Unit1_edit.cpp" line="+42"/>
        <source>元に戻しました (%1)</source>
        <translation>もとに もどしました (%1)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>やり直しました (%1)</source>
        <translation>やりなおしました (%1)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>プログラムが保存されていません。保存しますか？</source>
        <translation>プログラムが ほぞんされていません。ほぞんしますか？</translation>
    </message>
    <message>
        <location filename="../ui/Unit1_link.cpp" line="+43"/>
        <source>プログラム転送中</source>
        <translation>てんそうちゅう</translation>
    </message>
    <message>
        <source>保存できませんでした</source>
        <translation type="vanished">ほぞんできませんでした</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <location filename="../ui/progresbar.cpp" line="+45"/>
        <source>転送</source>
        <translation>てんそう</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>プログラム転送中</source>
        <translation>てんそうちゅう</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <location filename="../ui/Setup.cpp" line="+73"/>
        <location line="+12"/>
        <source>RS-232Cポートの設定</source>
        <translation>RS-232Cポートの せってい</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>インタフェースを接続したRS-232Cポートを設定して下さい。</source>
        <translation>インタフェースのRS-232Cポートをえらんでください。</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>設定変更後はソフトを再起動して下さい。</source>
        <translation>かえたら、きどうしなおしてください。</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>TProgramFiles</name>
    <message>
        <location filename="../ui/editor/ProgramFiles.cpp" line="+79"/>
        <source>名前を付けて保存</source>
        <translation>なまえを つけて ほぞん</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>保存できませんでした (%1)</source>
        <translation>ほぞんできませんでした (%1)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 に保存しました</source>
        <translation>%1 に ほぞんしました</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>ファイルを開く</source>
        <translation>ファイルを ひらく</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>読み込めませんでした (%1)</source>
        <translation>よみこめませんでした (%1)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>読込 %1</source>
        <translation>よみこみ %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 を読み込みました</source>
        <translation>%1 を よみこみました</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>デモ</source>
        <translation>デモ</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>デモのプログラムを置きました</source>
        <translation>デモの プログラムを おきました</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>印刷</source>
        <translation>いんさつ</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>プログラムシートを印刷しました</source>
        <translation>プログラムシートを いんさつしました</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>PDF に書き出す</source>
        <translation>PDF に かきだす</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PDF ファイル (*.pdf)</source>
        <translation>PDF ファイル (*.pdf)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>プログラムシート</source>
        <translation>プログラムシート</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 に書き出しました</source>
        <translation>%1 に かきだしました</translation>
    </message>
</context>
<context>
    <name>TSimWindow</name>
    <message>
        <location filename="../ui/sim/SimWindow.cpp" line="+231"/>
        <source>シミュレーション</source>
        <translation>シミュレーション</translation>
    </message>
    <message>
        <location line="+105"/>
        <source>スタート</source>
        <translation>スタート</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>一時停止</source>
        <translation>いちじていし</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>リセット</source>
        <translation>リセット</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>スイッチ</source>
        <translation>スイッチ</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+104"/>
        <source>×%1</source>
        <translation>×%1</translation>
    </message>
    <message>
        <location line="-74"/>
        <source>速さ</source>
        <translation>はやさ</translation>
    </message>
</context>
<context>
    <name>TSlotEditor</name>
    <message>
        <location filename="../ui/editor/SlotEditor.cpp" line="+112"/>
        <source>ステップ %1 を %2 に移す</source>
        <translation>ステップ %1 を %2 に うつす</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>ステップ %1 を %2 に移しました</source>
        <translation>ステップ %1 を %2 に うつしました</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>ステップ %1 を %2 にコピー</source>
        <translation>ステップ %1 を %2 に コピー</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ステップ %1 を %2 にコピーしました</source>
        <translation>ステップ %1 を %2 に コピーしました</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>ステップ %1 を空にする</source>
        <translation>ステップ %1 を からに する</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ステップ %1 を空にしました</source>
        <translation>ステップ %1 を からに しました</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>ステップ %1 の値を %2 に</source>
        <translation>ステップ %1 の あたいを %2 に</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>ステップ %1 の値を %2 にしました</source>
        <translation>ステップ %1 の あたいを %2 に しました</translation>
    </message>
</context>
<context>
    <name>TWindowStatus</name>
    <message>
        <location filename="../ui/editor/WindowStatus.cpp" line="+116"/>
        <location line="+2"/>
        <source>: 使えません</source>
        <translation>: つかえません</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 はシリアルポートではありません</source>
        <translation>%1 は シリアルポートでは ありません</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>: 見つかりません</source>
        <translation>: みつかりません</translation>
    </message>
</context>
<context>
    <name>std</name>
    <message>
        <location filename="../model/command_set.cpp" line="+10"/>
        <source>基本命令</source>
        <translation>きほんめいれい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>秒</source>
        <translation>びょう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>回</source>
        <translation>かい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>へ</source>
        <translation>へ</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>左車輪を前進させる命令</source>
        <translation>ひだりの しゃりんを ぜんしんさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>左前</source>
        <translation>ひだりまえ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>前進させる命令</source>
        <translation>ぜんしんさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>前進</source>
        <translation>ぜんしん</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>右車輪を前進させる命令</source>
        <translation>みぎの しゃりんを ぜんしんさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>右前</source>
        <translation>みぎまえ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>待つ</source>
        <translation>まつ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>左車輪を後退させる命令</source>
        <translation>ひだりの しゃりんを こうたいさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>左後</source>
        <translation>ひだりうしろ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>後退させる命令</source>
        <translation>こうたいさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>後退</source>
        <translation>こうたい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>右車輪を後退させる命令</source>
        <translation>みぎの しゃりんを こうたいさせる めいれい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>右後</source>
        <translation>みぎうしろ</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+1"/>
        <source>繰り返し</source>
        <translation>くりかえし</translation>
    </message>
    <message>
        <location line="-1"/>
        <source>繰返し回数の設定</source>
        <translation>くりかえす かいすうの せってい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>回数</source>
        <translation>かいすう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>繰り返す最初の番地の設定</source>
        <translation>くりかえす さいしょの ばんちの せってい</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>ここから</source>
        <translation>ここから</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+1"/>
        <location line="+1"/>
        <source>拡張命令</source>
        <translation>かくちょうめいれい</translation>
    </message>
    <message>
        <location line="-2"/>
        <source>前進中入力があると左に方向転換</source>
        <translation>ぜんしんちゅうに にゅうりょくが あると ひだりに まがる</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>左折</source>
        <translation>させつ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>前進中入力があると停止</source>
        <translation>ぜんしんちゅうに にゅうりょくが あると ていし</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>停止</source>
        <translation>ていし</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>前進中入力があると右に方向転換</source>
        <translation>ぜんしんちゅうに にゅうりょくが あると みぎに まがる</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>右折</source>
        <translation>うせつ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>入力</source>
        <translation>にゅうりょく</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>マイクロスイッチが入るまで待つ</source>
        <translation>マイクロスイッチが はいるまで まつ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>飛べ</source>
        <translation>とべ</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>無条件に指定番地へ飛ぶ</source>
        <translation>きめた ばんちへ かならず とぶ</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>飛ぶ</source>
        <translation>とぶ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>終了</source>
        <translation>おわり</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>プログラムを途中で終了</source>
        <translation>プログラムを とちゅうで おわる</translation>
    </message>
    <message>
        <location filename="../link/link_words.cpp" line="+21"/>
        <source>送信できませんでした</source>
        <translation>おくれませんでした</translation>
    </message>
    <message>
        <location filename="../model/step_names.cpp" line="+29"/>
        <source>ステップ %1 空き</source>
        <translation>ステップ %1 あき</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>ステップ %1 %2</source>
        <translation>ステップ %1 %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>時間・飛び先・回数 %1</source>
        <translation>じかん・とびさき・かいすう %1</translation>
    </message>
    <message>
        <location filename="../sim/floor_svg.cpp" line="+187"/>
        <source>床とロボットの通り道</source>
        <translation>ゆかと ロボットの とおりみち</translation>
    </message>
</context>
<context>
    <name>vk47</name>
    <message>
        <location filename="../settings/class_ports_posix.cpp" line="+43"/>
        <source>仮想ロボット</source>
        <translation>かそう ロボット</translation>
    </message>
    <message>
        <location filename="../settings/class_ports.cpp" line="+22"/>
        <source>終了した仮想ロボット</source>
        <translation>おわった かそう ロボット</translation>
    </message>
    <message>
        <location filename="../link/class_link.cpp" line="+68"/>
        <source>ポート %1 への送信を開始できません (%2)</source>
        <translation>ポート %1 への そうしんを はじめられません (%2)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>送信を開始できません</source>
        <translation>そうしんを はじめられません</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>%1 と同じデバイスが二度指定されています (一度だけ使いました)</source>
        <translation>%1 と おなじ デバイスが 2かい してい されています (1かいだけ つかいました)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>同じデバイスが二度指定されています</source>
        <translation>おなじ デバイスが 2かい してい されています</translation>
    </message>
    <message>
        <location filename="../link/robot_link.cpp" line="+34"/>
        <source>ポートを閉じました。次の操作でポートを開き直します。</source>
        <translation>ポートを とじました。つぎの そうさで ポートを ひらきなおします。</translation>
    </message>
    <message>
        <location filename="../link/link_words.cpp" line="-12"/>
        <source>転送を中断しました。送信できたのは 16 ステップのうち %1 ステップです。</source>
        <translation>てんそうを とちゅうで やめました。おくれたのは 16 ステップのうち %1 ステップです。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 ステップを %2 に送信しました</source>
        <translation>%1 ステップを %2 に おくりました</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>実行命令を %1 に送信しました</source>
        <translation>じっこうの めいれいを %1 に おくりました</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>ブラウザの説明: %1</source>
        <translation>ブラウザの せつめい: %1</translation>
    </message>
    <message>
        <location filename="../link/robot_link.cpp" line="+42"/>
        <source>シリアルポート %1 への送信に失敗しました。</source>
        <translation>シリアルポート %1 へ おくれませんでした。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>送信に失敗しました</source>
        <translation>おくれませんでした</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>シリアルポート %1 を開けません。</source>
        <translation>シリアルポート %1 を ひらけません。</translation>
    </message>
    <message>
        <location line="-72"/>
        <location line="+112"/>
        <source>中断しました</source>
        <translation>とちゅうで やめました</translation>
    </message>
    <message>
        <location filename="../link/link_words.cpp" line="-18"/>
        <source>実行命令を送れませんでした。</source>
        <translation>じっこうの めいれいを おくれませんでした。</translation>
    </message>
    <message>
        <location filename="../text/port_words.cpp" line="+11"/>
        <source>シリアルポート %1 が見つかりません。ケーブルとアダプタの接続を確かめてください。</source>
        <translation>シリアルポート %1 が みつかりません。ケーブルと アダプタが つながっているか たしかめてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 が見つかりません</source>
        <translation>%1 が みつかりません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 は他のプログラムが使用中です。そのプログラムを閉じてから、もう一度送ってください。</source>
        <translation>シリアルポート %1 は ほかの プログラムが つかっています。その プログラムを とじてから、もう いちど おくってください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 は他のプログラムが使用中です</source>
        <translation>%1 は ほかの プログラムが つかっています</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 を開く権限がありません。先生に知らせてください。</source>
        <translation>シリアルポート %1 を ひらく けんげんが ありません。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 を開く権限がありません</source>
        <translation>%1 を ひらく けんげんが ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 はこの通信設定に対応していません。先生に知らせてください。</source>
        <translation>シリアルポート %1 は この つうしんの せっていが つかえません。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 はこの通信設定に対応していません</source>
        <translation>%1 は この つうしんの せっていが つかえません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 との接続が切れました。ロボットの電源とケーブル、アダプタを確かめてください。</source>
        <translation>シリアルポート %1 との つながりが きれました。ロボットの でんげんと ケーブル、アダプタを たしかめてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ロボットとの接続が切れました</source>
        <translation>ロボットとの つながりが きれました</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 への送信が時間内に終わりませんでした。ロボットの電源とケーブルを確かめてください。</source>
        <translation>シリアルポート %1 へ おくるのが じかんないに おわりませんでした。ロボットの でんげんと ケーブルを たしかめてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ロボットが受け取りません</source>
        <translation>ロボットが うけとりません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 への送信が途中で終わりました。ロボットの電源とケーブルを確かめてください。</source>
        <translation>シリアルポート %1 へ おくるのが とちゅうで おわりました。ロボットの でんげんと ケーブルを たしかめてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>送信が途中で終わりました</source>
        <translation>おくるのが とちゅうで おわりました</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 が開かれていません。もう一度送ってください。</source>
        <translation>シリアルポート %1 が ひらかれていません。もう いちど おくってください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 が開かれていません</source>
        <translation>%1 が ひらかれていません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ポート名 &quot;%1&quot; は使えません。設定で COM1〜COM4 のどれかを選んでください。</source>
        <translation>ポートの なまえ &quot;%1&quot; は つかえません。せっていで COM1〜COM4 の どれかを えらんでください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ポート名が使えません</source>
        <translation>ポートの なまえが つかえません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 につながっていた仮想ロボットはもう動いていません。起動し直してから、もう一度送ってください。</source>
        <translation>シリアルポート %1 に つながっていた かそうロボットは もう うごいていません。うごかしなおしてから、もう いちど おくってください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>仮想ロボットが動いていません</source>
        <translation>かそうロボットが うごいていません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 はシリアルポートではありません。ロボットをつないだポートを選んでください。</source>
        <translation>%1 は シリアルポートでは ありません。ロボットを つないだ ポートを えらんでください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 はシリアルポートではありません</source>
        <translation>%1 は シリアルポートでは ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>シリアルポート %1 への送信を中断しました。</source>
        <translation>シリアルポート %1 へ おくるのを とちゅうで やめました。</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>送信を中断しました</source>
        <translation>おくるのを とちゅうで やめました</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>シリアルポート %1 を使えません。アダプタを抜いて、差し直してください。</source>
        <translation>シリアルポート %1 を つかえません。アダプタを ぬいて、さしなおしてください。</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1 を使えません</source>
        <translation>%1 を つかえません</translation>
    </message>
    <message>
        <location filename="../serial/comm_error.cpp" line="+66"/>
        <source>デバイス: %1</source>
        <translation>デバイス: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>先生へ: Linux ではユーザーを dialout グループに加えて、ログインし直してください (%1)。</source>
        <translation>せんせいへ: Linux では ユーザーを dialout グループに くわえて、ログインしなおしてください (%1)。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>使えるポート名: %1</source>
        <translation>つかえる ポートの なまえ: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>先生へ: %1 で起動し直します。</source>
        <translation>せんせいへ: %1 で うごかしなおします。</translation>
    </message>
    <message>
        <location line="+3"/>
        <location filename="../model/program_file.cpp" line="+259"/>
        <source>システムの説明: %1 (エラー番号 %2)</source>
        <translation>システムの せつめい: %1 (エラーばんごう %2)</translation>
    </message>
    <message>
        <location filename="../settings/port_setting.cpp" line="+30"/>
        <source>%1 に書き込めません</source>
        <translation>%1 に かきこめません</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>設定を保存できません</source>
        <translation>せっていを ほぞんできません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>別のプログラムが書き込み中です。しばらく待ってから、もう一度試してください。</source>
        <translation>べつの プログラムが かきこんでいます。しばらく まってから、もう いちど ためしてください。</translation>
    </message>
    <message>
        <location filename="../settings/settings_folder.cpp" line="+81"/>
        <source>ディレクトリを作成することができません</source>
        <translation>ディレクトリを つくることが できません</translation>
    </message>
    <message>
        <location filename="../model/program_file.cpp" line="-86"/>
        <source>リストのインデックスが範囲を超えています (%1)</source>
        <translation>リストの インデックスが はんいを こえています (%1)</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>&apos;%1&apos; は整数ではありません</source>
        <translation>&apos;%1&apos; は せいすうでは ありません</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>%1 行目の値 %2 はロボットの命令ではありません</source>
        <translation>%1 ぎょうめの あたい %2 は ロボットの めいれいでは ありません</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>ファイル %1 は開けません</source>
        <translation>ファイル %1 は ひらけません</translation>
    </message>
    <message>
        <location filename="../model/file_io.cpp" line="+47"/>
        <location filename="../model/program_file.cpp" line="+121"/>
        <source>ファイル %1 を作成できません</source>
        <translation>ファイル %1 を つくれません</translation>
    </message>
    <message>
        <location line="-8"/>
        <source>ファイル %1 を作成できません。%2 は別のユーザーが置いたシンボリックリンクなので、たどりません</source>
        <translation>ファイル %1 を つくれません。%2 は べつの ユーザーが おいた シンボリックリンクなので、たどりません</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>ファイル %1 は読み込んだファイルと同じなので、上書きしません</source>
        <translation>ファイル %1 は よみこんだ ファイルと おなじなので、うわがき しません</translation>
    </message>
    <message>
        <location filename="../ui/common/ErrorBox.cpp" line="+41"/>
        <source>閉じる</source>
        <translation>とじる</translation>
    </message>
    <message>
        <location line="-5"/>
        <location line="+5"/>
        <source>くわしく</source>
        <translation>くわしく</translation>
    </message>
    <message>
        <location line="+25"/>
        <location filename="../ui/common/FileDialogs.cpp" line="+72"/>
        <location filename="../ui/MainLayout.cpp" line="+201"/>
        <source>保存</source>
        <translation>ほぞん</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>保存しない</source>
        <translation>ほぞんしない</translation>
    </message>
    <message>
        <location line="+1"/>
        <location filename="../ui/common/FileDialogs.cpp" line="-41"/>
        <location line="+42"/>
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>エラーが発生しました</source>
        <translation>エラーが おきました</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>ソフトを再起動するか再度インストールして下さい</source>
        <translation>ソフトを うごかしなおすか、インストールしなおしてください</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>警告</source>
        <translation>けいこく</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>不明なエラーが発生しました</source>
        <translation>わからない エラーが おきました</translation>
    </message>
    <message>
        <source>・車輪は 1 秒に 10 cm 進みます。左右の車輪の間は 10 cm です。ロボットは右を向いてスタートします。
・「前進」「後退」は両方の車輪が回ります。「左前」「右前」「左後」「右後」は片方の車輪だけが回り、止まっている車輪を中心にまわります。「待つ」と、何も置いていないステップ (0 秒) は止まったままです。
・くり返しの回数は 1 つしかありません。「回数」が回数を決め、「ここから」は回数を 1 へらして、まだ残っていれば数字のステップにもどります。くり返しの中にくり返しを入れることはできません: 中の「回数」が同じ回数を決めなおすので、外のくり返しは 1 回で終わります。「回数」のない「ここから」や、くり返しが終わったあとの「ここから」は、もどりません。「飛ぶ」は数字のステップへ飛びます。
・スイッチが使われるのは、「入力」で待っている間と、「左折」「停止」「右折」のあとの「前進」の間だけです (「左前」「右前」の間ではありません)。待ちや「前進」が始まった瞬間に押したスイッチは使われ、終わった瞬間に押したスイッチは使われません。ほかのときに押したスイッチは、なかったことになります。
・「左折」「停止」「右折」は、そのあとのすべての「前進」に効きます。「前進」の間にスイッチを押すと、その場で 90 度まわる (両方の車輪が逆に回り、0.79 秒かかります) か止まって、次のステップへ進みます。
・「終了」か、ステップ 15 が終わるとおしまいです。10 分たつとそこで止めます。時間の進まないくり返し (0 秒のステップと「飛ぶ」だけのくり返し) は、同じステップにもどったところで止めます。</source>
        <translation type="vanished">・しゃりんは 1 びょうに 10 cm すすみます。ひだりと みぎの しゃりんの あいだは 10 cm です。ロボットは みぎを むいて スタートします。
・「ぜんしん」「こうたい」は りょうほうの しゃりんが まわります。「ひだりまえ」「みぎまえ」「ひだりうしろ」「みぎうしろ」は かたほうの しゃりんだけが まわり、とまっている しゃりんを ちゅうしんに まわります。「まつ」と、なにも おいていない ステップ (0 びょう) は とまった ままです。
・くりかえしの かいすうは 1 つしか ありません。「かいすう」が かいすうを きめ、「ここから」は かいすうを 1 へらして、まだ のこっていれば すうじの ステップに もどります。くりかえしの なかに くりかえしを いれることは できません: なかの「かいすう」が おなじ かいすうを きめなおすので、そとの くりかえしは 1 かいで おわります。「かいすう」の ない「ここから」や、くりかえしが おわった あとの「ここから」は、もどりません。「とぶ」は すうじの ステップへ とびます。
・スイッチが つかわれるのは、「にゅうりょく」で まっている あいだと、「させつ」「ていし」「うせつ」の あとの「ぜんしん」の あいだだけです (「ひだりまえ」「みぎまえ」の あいだでは ありません)。まつのや「ぜんしん」が はじまった しゅんかんに おした スイッチは つかわれ、おわった しゅんかんに おした スイッチは つかわれません。ほかの ときに おした スイッチは、なかったことに なります。
・「させつ」「ていし」「うせつ」は、その あとの すべての「ぜんしん」に ききます。「ぜんしん」の あいだに スイッチを おすと、その ばで 90 ど まわる (りょうほうの しゃりんが ぎゃくに まわり、0.79 びょう かかります) か とまって、つぎの ステップへ すすみます。
・「おわり」か、ステップ 15 が おわると おしまいです。10 ぷん たつと そこで とめます。じかんの すすまない くりかえし (0 びょうの ステップと「とぶ」だけの くりかえし) は、おなじ ステップに もどったところで とめます。</translation>
    </message>
    <message>
        <location filename="../ui/sim/SimWindow.cpp" line="-313"/>
        <source>キー: %1</source>
        <translation>キー: %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>スペース</source>
        <translation>スペース</translation>
    </message>
    <message>
        <location filename="../ui/MainLayout.cpp" line="-167"/>
        <source>基本命令</source>
        <translation>きほんめいれい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>プログラム</source>
        <translation>プログラム</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>拡張命令</source>
        <translation>かくちょうめいれい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>繰り返し</source>
        <translation>くりかえし</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>入力</source>
        <translation>にゅうりょく</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>飛べ</source>
        <translation>とべ</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+162"/>
        <source>終了</source>
        <translation>おわり</translation>
    </message>
    <message>
        <location line="-161"/>
        <source>時間・飛び先・回数</source>
        <translation>じかん・とびさき・かいすう</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>0.5秒</source>
        <translation>0.5びょう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1秒</source>
        <translation>1びょう</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>1.5秒</source>
        <translation>1.5びょう</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>2秒</source>
        <translation>2びょう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>2.5秒</source>
        <translation>2.5びょう</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>3秒</source>
        <translation>3びょう</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>3.5秒</source>
        <translation>3.5びょう</translation>
    </message>
    <message>
        <location line="+75"/>
        <source>実行する時間、飛び先、回数の設定</source>
        <translation>じっこうする じかん、とびさき、かいすうの せってい</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+51"/>
        <source>転送</source>
        <translation>てんそう</translation>
    </message>
    <message>
        <location line="-50"/>
        <location line="+51"/>
        <source>実行</source>
        <translation>じっこう</translation>
    </message>
    <message>
        <location line="-42"/>
        <source>クラス呼び出し</source>
        <translation>クラスよびだし</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>ファイル</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>読込</source>
        <translation>よみこみ</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>印刷…</source>
        <translation>いんさつ…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PDF に書き出す…</source>
        <translation>PDF に かきだす…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Edit</source>
        <translation>へんしゅう</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>デモ</source>
        <translation>デモ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>クリア</source>
        <translation>クリア</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>元に戻す</source>
        <translation>もとに もどす</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>やり直し</source>
        <translation>やりなおし</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>制御</source>
        <translation>せいぎょ</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>シミュレーション</source>
        <translation>シミュレーション</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>クラスに転送…</source>
        <translation>クラスに てんそう…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>設定</source>
        <translation>せってい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>RS-232Cポートの設定</source>
        <translation>RS-232Cポートの せってい</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ひらがな</source>
        <translation>ひらがな</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>ヘルプ</source>
        <translation>ヘルプ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ヘルプの表示</source>
        <translation>ヘルプを ひらく</translation>
    </message>
    <message>
        <location filename="../model/listing.cpp" line="+47"/>
        <source>コード %1</source>
        <translation>コード %1</translation>
    </message>
    <message>
        <location filename="../sim/sheet.cpp" line="+27"/>
        <source>無題</source>
        <translation>むだい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1年%2月%3日</source>
        <translation>%1ねん%2がつ%3にち</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>名前</source>
        <translation>なまえ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>組</source>
        <translation>くみ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>プログラム (上から下へ、左の列から右の列へ進みます)</source>
        <translation>プログラム (うえから したへ、ひだりの れつから みぎの れつへ すすみます)</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>(空き)</source>
        <translation>(あき)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ロボットの通り道 (スイッチを押さないとき)</source>
        <translation>ロボットの とおりみち (スイッチを おさないとき)</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>● スタート&#x3000;▲ 最後の位置と向き&#x3000;数字は cm、1 目盛り = %1 cm</source>
        <translation>● スタート&#x3000;▲ さいごの いちと むき&#x3000;すうじは cm、1 めもり = %1 cm</translation>
    </message>
    <message>
        <location filename="../sim/sim_texts.cpp" line="+44"/>
        <source>このシミュレーションのきまり (本物のロボットと少しちがうことがあります)</source>
        <translation>この シミュレーションの きまり (ほんものの ロボットと すこし ちがうことが あります)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>時間 %1 秒</source>
        <translation>じかん %1 びょう</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ステップ %1</source>
        <translation>ステップ %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>  (回数の残り %1)</source>
        <translation>  (のこりの かいすう %1)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>おわり: ステップ %1 の「終了」でおしまいです。</source>
        <translation>おわり: ステップ %1 の「おわり」で おしまいです。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>おわり: ステップ 15 まで進みました。</source>
        <translation>おわり: ステップ 15 まで すすみました。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>10 分たっても終わらないので止めました。</source>
        <translation>10 ぷん たっても おわらないので とめました。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>時間の進まないくり返しがずっと続くので止めました。</source>
        <translation>じかんの すすまない くりかえしが ずっと つづくので とめました。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>スイッチが押されるのを待っています。「スイッチ」を押してください。</source>
        <translation>スイッチが おされるのを まっています。「スイッチ」を おしてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>一時停止中 (スイッチを待っています)</source>
        <translation>いちじていしちゅう (スイッチを まっています)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>動いています (速さ ×%1)</source>
        <translation>うごいています (はやさ ×%1)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>「スタート」を押すと、いまのプログラムで動きます。</source>
        <translation>「スタート」を おすと、いまの プログラムで うごきます。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>一時停止中</source>
        <translation>いちじていしちゅう</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>%1 分たっても終わらないので止めました (ステップ %2)</source>
        <translation>%1 ぷん たっても おわらないので とめました (ステップ %2)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>時間の進まないくり返しなので止めました (ステップ %1 にもどっても時間が進まず、同じことがずっとくり返されます)</source>
        <translation>じかんの すすまない くりかえしなので とめました (ステップ %1 に もどっても じかんが すすまず、おなじ ことが ずっと くりかえされます)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>ステップ %1 でマイクロスイッチが押されるのを待ったままです (%2 秒)</source>
        <translation>ステップ %1 で マイクロスイッチが おされるのを まった ままです (%2 びょう)</translation>
    </message>
    <message>
        <location line="-93"/>
        <source>・車輪は 1 秒に 10 cm 進みます。左右の車輪の間は 10 cm です。ロボットは右を向いてスタートします。ロボットの場所は、左右の車輪のまん中の点です。
・「前進」「後退」は両方の車輪が回ります。「左前」「右前」「左後」「右後」は片方の車輪だけが回り、止まっている車輪を中心にまわります。「待つ」と、何も置いていないステップ (0 秒) は止まったままです。「回数」「ここから」「左折」「停止」「右折」「飛ぶ」「終了」は時間がかかりません。
・くり返しの回数は 1 つしかありません。「回数」が回数を決め、「ここから」は回数を 1 へらして (0 より下にはなりません)、まだ残っていれば数字のステップにもどります。くり返しの中にくり返しを入れることはできません: 中の「回数」が同じ回数を決めなおすので、外のくり返しは 1 回で終わります。「回数」のない「ここから」や、くり返しが終わったあとの「ここから」は、もどりません。「飛ぶ」は数字のステップへ飛びます。
・スイッチが使われるのは、「入力」で待っている間と、「左折」「停止」「右折」のあとの「前進」の間だけです (「左前」「右前」の間ではありません)。待ちや「前進」が始まった瞬間に押したスイッチは使われ、終わった瞬間に押したスイッチは使われません。ほかのときに押したスイッチは、なかったことになります。0 秒の「前進」や「待つ」は時間がかからないので、その瞬間に押したスイッチは、そのあと最初に時間のかかるステップにとどきます。
・「左折」「停止」「右折」は、そのあとのすべての「前進」に効きます。あとから置いたものが、前のものに代わります。「前進」の間にスイッチを押すと、その場で 90 度まわる (両方の車輪が逆に回り、0.79 秒かかります) か止まって、次のステップへ進みます。まわっている間に押したスイッチは、なかったことになります。
・「終了」か、ステップ 15 が終わるとおしまいです。10 分 (600.00 秒) たつとそこで止めます。まわっているとちゅうなら、その向きのまま止まります。ちょうど 10 分のとき、時間のかからないステップはまだ動きますが、時間のかかるステップや「入力」は始まりません。ちょうど 10 分に押したスイッチでも、その前から「入力」で待っていれば使われます。時間の進まないくり返し (0 秒のステップと「飛ぶ」だけのくり返し) は、同じステップに同じ回数の残りと同じ「左折」「停止」「右折」でもどったところで止めます。スイッチが使われると、そこから数えなおします。
・vk47-robot の記録では、向きは -180 度より大きく 180 度まで (180 度は -180 とは書きません) で、-0.00 とは書きません。1 行は終わったステップ 1 つです: 「入力」で待ったままのステップと、時間の進まないくり返しでもどってきたステップの行はありません。10 分で止めたときは、最後の行が 600.00 秒のときの場所です。</source>
        <translation>・しゃりんは 1 びょうに 10 cm すすみます。ひだりと みぎの しゃりんの あいだは 10 cm です。ロボットは みぎを むいて スタートします。ロボットの ばしょは、ひだりと みぎの しゃりんの まんなかの てんです。
・「ぜんしん」「こうたい」は りょうほうの しゃりんが まわります。「ひだりまえ」「みぎまえ」「ひだりうしろ」「みぎうしろ」は かたほうの しゃりんだけが まわり、とまっている しゃりんを ちゅうしんに まわります。「まつ」と、なにも おいていない ステップ (0 びょう) は とまった ままです。「かいすう」「ここから」「させつ」「ていし」「うせつ」「とぶ」「おわり」は じかんが かかりません。
・くりかえしの かいすうは 1 つしか ありません。「かいすう」が かいすうを きめ、「ここから」は かいすうを 1 へらして (0 より したには なりません)、まだ のこっていれば すうじの ステップに もどります。くりかえしの なかに くりかえしを いれることは できません: なかの「かいすう」が おなじ かいすうを きめなおすので、そとの くりかえしは 1 かいで おわります。「かいすう」の ない「ここから」や、くりかえしが おわった あとの「ここから」は、もどりません。「とぶ」は すうじの ステップへ とびます。
・スイッチが つかわれるのは、「にゅうりょく」で まっている あいだと、「させつ」「ていし」「うせつ」の あとの「ぜんしん」の あいだだけです (「ひだりまえ」「みぎまえ」の あいだでは ありません)。まつのや「ぜんしん」が はじまった しゅんかんに おした スイッチは つかわれ、おわった しゅんかんに おした スイッチは つかわれません。ほかの ときに おした スイッチは、なかったことに なります。0 びょうの「ぜんしん」や「まつ」は じかんが かからないので、その しゅんかんに おした スイッチは、その あと さいしょに じかんの かかる ステップに とどきます。
・「させつ」「ていし」「うせつ」は、その あとの すべての「ぜんしん」に ききます。あとから おいた ものが、まえの ものに かわります。「ぜんしん」の あいだに スイッチを おすと、その ばで 90 ど まわる (りょうほうの しゃりんが ぎゃくに まわり、0.79 びょう かかります) か とまって、つぎの ステップへ すすみます。まわっている あいだに おした スイッチは、なかったことに なります。
・「おわり」か、ステップ 15 が おわると おしまいです。10 ぷん (600.00 びょう) たつと そこで とめます。まわっている とちゅうなら、その むきの まま とまります。ちょうど 10 ぷんの とき、じかんの かからない ステップは まだ うごきますが、じかんの かかる ステップや「にゅうりょく」は はじまりません。ちょうど 10 ぷんに おした スイッチでも、その まえから「にゅうりょく」で まっていれば つかわれます。じかんの すすまない くりかえし (0 びょうの ステップと「とぶ」だけの くりかえし) は、おなじ ステップに おなじ かいすうの のこりと おなじ「させつ」「ていし」「うせつ」で もどったところで とめます。スイッチが つかわれると、そこから かぞえなおします。
・vk47-robot の きろくでは、むきは -180 どより おおきく 180 どまで (180 どは -180 とは かきません) で、-0.00 とは かきません。1 ぎょうは おわった ステップ 1 つです: 「にゅうりょく」で まった ままの ステップと、じかんの すすまない くりかえしで もどってきた ステップの ぎょうは ありません。10 ぷんで とめた ときは、さいごの ぎょうが 600.00 びょうの ときの ばしょです。</translation>
    </message>
    <message>
        <location filename="../text/port_words.cpp" line="-10"/>
        <source>シリアルポート %1 を開けません。パソコンの空きが足りません。ほかのプログラムを閉じてから、もう一度送ってください。</source>
        <translation>シリアルポート %1 を ひらけません。パソコンの あきが たりません。ほかの プログラムを とじてから、もう いちど おくって ください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>パソコンの空きが足りません</source>
        <translation>パソコンの あきが たりません</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>設定ファイルを読めないので、シリアルポート %1 がどのデバイスか分かりません。先生に知らせてください。</source>
        <translation>せっていファイルを よめないので、シリアルポート %1 が どの デバイスか わかりません。せんせいに しらせて ください。</translation>
    </message>
    <message>
        <location filename="../settings/class_ports.cpp" line="+0"/>
        <location filename="../text/port_words.cpp" line="+1"/>
        <source>設定ファイルを読めません</source>
        <translation>せっていファイルを よめません</translation>
    </message>
    <message>
        <location filename="../serial/comm_error.cpp" line="-24"/>
        <source>先生へ: 設定ファイル %1 を読めません (%2)。読めるようにするか、消してください。</source>
        <translation>せんせいへ: せっていファイル %1 を よめません (%2)。よめるように するか、けして ください。</translation>
    </message>
    <message>
        <location filename="../text/port_words.cpp" line="-4"/>
        <source>シリアルポート %1 は、このユーザーが使えないデバイスにつながっています。先生に知らせてください。</source>
        <translation>シリアルポート %1 は、この ユーザーが つかえない デバイスに つながって います。せんせいに しらせて ください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 はこのユーザーのデバイスではありません</source>
        <translation>%1 は この ユーザーの デバイスでは ありません</translation>
    </message>
    <message>
        <location filename="../serial/comm_error.cpp" line="+16"/>
        <source>先生へ: root がユーザー %1 の代わりに送っています。%1 が読み書きできないデバイスには送りません。</source>
        <translation>せんせいへ: root が ユーザー %1 の かわりに おくって います。%1 が よみかき できない デバイスには おくりません。</translation>
    </message>
    <message>
        <location filename="../model/program_file.cpp" line="-228"/>
        <source>このファイルはロボットのプログラムではありません。</source>
        <translation>この ファイルは ロボットの プログラムでは ありません。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>プログラムのファイルは 16 行で、1 行に 1 つずつステップの数が書いてあります (空きのステップは -1)。</source>
        <translation>プログラムの ファイルは 16 ぎょうで、1 ぎょうに 1 つずつ ステップの かずが かいて あります (あきの ステップは -1)。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>先生へ: vk47 で保存した .pt3 ファイルを選んでください。</source>
        <translation>せんせいへ: vk47 で ほぞんした .pt3 ファイルを えらんでください。</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>ファイルが空です。</source>
        <translation>ファイルが からっぽです。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルが空です</source>
        <translation>ファイルが からっぽです</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ファイルが短すぎます (%1 行しかありません)。</source>
        <translation>ファイルが みじかすぎます (%1 ぎょうしか ありません)。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルが短すぎます</source>
        <translation>ファイルが みじかすぎます</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 行目に文字ではないバイト (00) があり、ファイルはそこで終わりとみなされます。</source>
        <translation>%1 ぎょうめに もじでは ない バイト (00) が あり、ファイルは そこで おわりと みなされます。</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>このファイルは文字で書かれていません (バイナリファイル)</source>
        <translation>この ファイルは もじで かかれて いません (バイナリファイル)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>バイナリファイルです</source>
        <translation>バイナリファイルです</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 行目のはじめのバイト (16 進数): %2</source>
        <translation>%1 ぎょうめの はじめの バイト (16 しんすう): %2</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>ロボットのプログラムではありません</source>
        <translation>ロボットの プログラムでは ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 行目が数ではありません。ファイルがこわれているかもしれません。</source>
        <translation>%1 ぎょうめが かずでは ありません。ファイルが こわれて いるかも しれません。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 行目が数ではありません</source>
        <translation>%1 ぎょうめが かずでは ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 行目: &apos;%2&apos;</source>
        <translation>%1 ぎょうめ: &apos;%2&apos;</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>このファイルは、ほかのロボットのものか、こわれています。</source>
        <translation>この ファイルは、ほかの ロボットの ものか、こわれて います。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 行目がロボットの命令ではありません</source>
        <translation>%1 ぎょうめが ロボットの めいれいでは ありません</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ステップの数は、命令の表にある数と、空きの -1 だけです。</source>
        <translation>ステップの かずは、めいれいの ひょうに ある かずと、あきの -1 だけです。</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>そのファイルはありません。名前とフォルダを確かめてください。</source>
        <translation>その ファイルは ありません。なまえと フォルダを たしかめてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルがありません</source>
        <translation>ファイルが ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>これはファイルではありません (フォルダか装置です)。</source>
        <translation>これは ファイルでは ありません (フォルダか そうちです)。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルではありません</source>
        <translation>ファイルでは ありません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>このファイルを読むことは許されていません。先生に知らせてください。</source>
        <translation>この ファイルを よむことは ゆるされて いません。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>読むことが許されていません</source>
        <translation>よむことが ゆるされて いません</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>先生へ: ファイルとそのフォルダに、このユーザーの読み取りの許可があるか確かめてください。</source>
        <translation>せんせいへ: ファイルと その フォルダに、この ユーザーの よみとりの きょかが あるか たしかめてください。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ファイルを読み込めませんでした。先生に知らせてください。</source>
        <translation>ファイルを よみこめませんでした。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルを読み込めません</source>
        <translation>ファイルを よみこめません</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>ファイル: %1</source>
        <translation>ファイル: %1</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>ここには保存できません。先生に知らせてください。</source>
        <translation>ここには ほぞんできません。せんせいに しらせてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ここには保存できません</source>
        <translation>ここには ほぞんできません</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>同じ名前のフォルダがあります。</source>
        <translation>おなじ なまえの フォルダが あります。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>同じ名前のフォルダがあります</source>
        <translation>おなじ なまえの フォルダが あります</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>保存先のフォルダがありません。</source>
        <translation>ほぞんさきの フォルダが ありません。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>フォルダがありません</source>
        <translation>フォルダが ありません</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>ディスクがいっぱいです。</source>
        <translation>ディスクが いっぱいです。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ディスクがいっぱいです</source>
        <translation>ディスクが いっぱいです</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ファイルの名前が長すぎます。</source>
        <translation>ファイルの なまえが ながすぎます。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>名前が長すぎます</source>
        <translation>なまえが ながすぎます</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>ここに書き込むことは許されていません。</source>
        <translation>ここに かきこむことは ゆるされて いません。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>書き込みが許されていません</source>
        <translation>かきこみが ゆるされて いません</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>ファイルを書き込めませんでした。</source>
        <translation>ファイルを かきこめませんでした。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>書き込めませんでした</source>
        <translation>かきこめませんでした</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>別の名前にするか、別のフォルダ (ドキュメントなど) に保存してください。</source>
        <translation>べつの なまえに するか、べつの フォルダ (ドキュメントなど) に ほぞんしてください。</translation>
    </message>
    <message>
        <location filename="../ui/common/FileDialogs.cpp" line="-45"/>
        <source>%1 はもうあります。置きかえますか？</source>
        <translation>%1 は もう あります。おきかえますか？</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>置きかえる</source>
        <translation>おきかえる</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>場所:</source>
        <translation>ばしょ:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイル名:</source>
        <translation>ファイルめい:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ファイルの種類:</source>
        <translation>ファイルの しゅるい:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>開く</source>
        <translation>ひらく</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>戻る</source>
        <translation>もどる</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>進む</source>
        <translation>すすむ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>上のフォルダへ</source>
        <translation>うえの フォルダへ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>新しいフォルダを作る</source>
        <translation>あたらしい フォルダを つくる</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>名前だけを表示</source>
        <translation>なまえだけを ひょうじ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>くわしく表示</source>
        <translation>くわしく ひょうじ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>名前を変える</source>
        <translation>なまえを かえる</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>削除</source>
        <translation>さくじょ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>かくしファイルを表示</source>
        <translation>かくしファイルを ひょうじ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>新しいフォルダ</source>
        <translation>あたらしい フォルダ</translation>
    </message>
    <message>
        <location filename="../ui/robot/ClassSendDialog.cpp" line="-319"/>
        <source>(使えません)</source>
        <translation>(つかえません)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>(つながっていません)</source>
        <translation>(つながっていません)</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>送信中…</source>
        <translation>おくっています…</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>転送中…</source>
        <translation>てんそうちゅう…</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>実行 OK</source>
        <translation>じっこう OK</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>実行: %1</source>
        <translation>じっこう: %1</translation>
    </message>
    <message>
        <location filename="../ui/editor/ProgramSheet.cpp" line="+6"/>
        <source>印刷できませんでした。</source>
        <translation>いんさつ できませんでした。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>プリンタの電源と用紙を確かめて、もう一度試してください。</source>
        <translation>プリンタの でんげんと ようしを たしかめて、もう いちど ためしてください。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>印刷できませんでした</source>
        <translation>いんさつ できませんでした</translation>
    </message>
    <message>
        <location filename="../sim/floor_scale.cpp" line="+46"/>
        <source>実物大</source>
        <translation>じつぶつだい</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>縮尺 1/%1</source>
        <translation>しゅくしゃく 1/%1</translation>
    </message>
    <message>
        <location filename="../sim/floor_svg.cpp" line="-7"/>
        <source>1 マス = %1 cm</source>
        <translation>1 マス = %1 cm</translation>
    </message>
</context>
<context>
    <name>vk47::LoadProgress</name>
    <message>
        <location filename="../ui/editor/ProgramFiles.cpp" line="-135"/>
        <source>読み込み中</source>
        <translation>よみこみちゅう</translation>
    </message>
</context>
<context>
    <name>web</name>
    <message>
        <location filename="../web/core/page_texts.cpp" line="+13"/>
        <source>VK-47ロボット制御３</source>
        <translation>VK-47ロボットせいぎょ３</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>このブラウザからはロボットに送れません (送れるのはパソコンと Chromebook の Chrome と Edge です)。</source>
        <translation>この ブラウザからは ロボットに おくれません (おくれるのは パソコンと Chromebook の Chrome と Edge です)。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ポートが選ばれなかったので、何も送りませんでした。</source>
        <translation>ポートが えらばれなかったので、なにも おくりませんでした。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>シリアルポート</source>
        <translation>シリアルポート</translation>
    </message>
</context>
</TS>
