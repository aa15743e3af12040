<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AboutDialog</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Plenko)</source>
        <translation>About Plenko</translation>
    </message>
    <message>
        <source>VIRLO Version 1.7</source>
        <translation>VIRLO Version 1.7</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>ﾃｷｽﾄ ﾌｧｲﾙ (*.txt);;すべてのﾌｧｲﾙ (*)</source>
        <translation>Text Files (*.txt);;All Files (*)</translation>
    </message>
    <message>
        <source>%1 を読み込めません: %2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>文書に入らない文字 %1 個を &quot;?&quot; にしました</source>
        <translation>Replaced %1 characters that a document cannot hold with &quot;?&quot;</translation>
    </message>
    <message>
        <source>箱 %1、枠付き文字列 %2、線 %3 (つないだ端 %4、載せた端 %5、寄せた端 %6)、矢じり %7、点 %8、文字列 %9、文字のままの線 %10</source>
        <translation>%1 boxes, %2 framed text boxes, %3 lines (%4 joined, %5 resting, %6 docked ends), %7 arrowheads, %8 dots, %9 text boxes, %10 pieces of line art left as text</translation>
    </message>
    <message>
        <source>%1 を開けません: %2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>%1 はほかの VIRLO (%2) で開かれています。
読み取り専用で開くと、保存するときに別の名前を付けます。そのまま開くと、両方で保存したときに一方の変更が失われることがあります。</source>
        <translation>%1 is open in another VIRLO (%2).
Opened read-only, it asks for another name when you save. Opened anyway, the changes of one of the two may be lost when both save it.</translation>
    </message>
    <message>
        <source>読み取り専用で開く</source>
        <translation>Open Read-Only</translation>
    </message>
    <message>
        <source>そのまま開く</source>
        <translation>Open Anyway</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 は、開いた後か最後に保存した後に、ほかのプログラムで変更されています。
上書きすると、その変更は失われます。</source>
        <translation>%1 was changed by another program after it was opened or last saved.
Overwriting it loses those changes.</translation>
    </message>
    <message>
        <source>%1 は、開いた後か最後に保存した後に、ほかのプログラムで削除されたか移動されています。</source>
        <translation>%1 was deleted or moved by another program after it was opened or last saved.</translation>
    </message>
    <message>
        <source>保存しない</source>
        <translation>Don&apos;t Save</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>名前を付けて保存...</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>%1 はほかのウィンドウか VIRLO (%2) で開かれているため、保存できません。別の名前を付けてください。</source>
        <translation>%1 is open in another window or VIRLO (%2), so it cannot be saved. Choose another name.</translation>
    </message>
    <message>
        <source>%1 を保存できません: %2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
    <message>
        <source>%1
別の名前を付けて保存しますか?</source>
        <translation>%1
Save it under another name?</translation>
    </message>
    <message>
        <source>名前なし</source>
        <translation>untitled</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>残す</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>破棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>%1 を復元できません: %2</source>
        <translation>Cannot recover %1: %2</translation>
    </message>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>SVG ﾌｧｲﾙ (*.svg)</source>
        <translation>SVG Files (*.svg)</translation>
    </message>
    <message>
        <source>PNG ﾌｧｲﾙ (*.png)</source>
        <translation>PNG Files (*.png)</translation>
    </message>
    <message>
        <source>画像を作れません</source>
        <translation>the picture cannot be made</translation>
    </message>
    <message>
        <source>%1 に書き出せません: %2</source>
        <translation>Cannot export to %1: %2</translation>
    </message>
    <message>
        <source>VIRLO ﾌｧｲﾙ (*.vrl)</source>
        <translation>VIRLO Files (*.vrl)</translation>
    </message>
    <message>
        <source>復元用のコピーを %1 に保存できません: %2
変更した文書の復元用のコピーは作られません。</source>
        <translation>Recovery copies cannot be kept in %1: %2
No recovery copies of changed documents will be made.</translation>
    </message>
    <message>
        <source>VIRLO が終了する前に保存されなかった %1 (%2) の変更が残っています。
開く: 変更した文書として開きます。残す: 次に起動するときか、この文書を開くときにまた尋ねます。破棄: 変更を捨てます。</source>
        <translation>Changes to %1 (%2) were not saved before VIRLO ended.
Open: opens it as a changed document. Keep: asks again at the next start or when the document is opened. Discard: throws the changes away.</translation>
    </message>
    <message>
        <source>文書に入らない文字 %1 個を似た文字にしました</source>
        <translation>Replaced %1 characters that a document cannot hold with others like them</translation>
    </message>
    <message>
        <source>図の中のタブ %1 個を空白にしました (読んだままの行はタブごと書き出します)</source>
        <translation>Replaced %1 tabs inside the art with blanks (a row printed as it was read gets its tabs back)</translation>
    </message>
    <message>
        <source>%1 は行を指していません: ファイル:行 の形で指定してください</source>
        <translation>%1 names no line: give it as FILE:LINE</translation>
    </message>
    <message>
        <source>%1 は %2 行です。%3 行目はありません。</source>
        <translation>%1 has %2 lines; there is no line %3.</translation>
    </message>
    <message>
        <source>%1 は %2 行です。%3 行目の前には入れられません。</source>
        <translation>%1 has %2 lines; nothing can be put in before line %3.</translation>
    </message>
    <message>
        <source>%1 には図がありません。</source>
        <translation>%1 holds no diagram.</translation>
    </message>
    <message>
        <source>%1 の %2 行目からの図は、開いた後か最後に保存した後に、ほかのプログラムで変更されています。
上書きすると、その変更は失われます。</source>
        <translation>The diagram from line %2 of %1 was changed by another program since it was opened or last saved.
Overwriting loses that change.</translation>
    </message>
    <message>
        <source>%1 に保存できません: %2</source>
        <translation>Cannot save into %1: %2</translation>
    </message>
    <message>
        <source>図の行を上書き</source>
        <translation>Overwrite the Diagram&apos;s Lines</translation>
    </message>
    <message>
        <source>図をほかに保存...</source>
        <translation>Save the Diagram Elsewhere...</translation>
    </message>
    <message>
        <source>線として読むと描いたとおりに戻らない</source>
        <translation>read as lines, it did not come back as drawn</translation>
    </message>
    <message>
        <source>線には短すぎる</source>
        <translation>too short for a line</translation>
    </message>
    <message>
        <source>どの線にも読めない</source>
        <translation>no line reads it</translation>
    </message>
    <message>
        <source>どの線の端にもない矢じり</source>
        <translation>an arrowhead at no line&apos;s end</translation>
    </message>
    <message>
        <source>点線は線にしない</source>
        <translation>a dotted run is no line</translation>
    </message>
    <message>
        <source>斜めの線は文字のまま</source>
        <translation>slanted lines stay text</translation>
    </message>
    <message>
        <source>下線の並びは線にしない</source>
        <translation>a run of underscores is no line</translation>
    </message>
    <message>
        <source>目盛りは文字のまま</source>
        <translation>the ticks of a ruler stay text</translation>
    </message>
    <message>
        <source>一文字ずれた枠の辺は文字のまま</source>
        <translation>a box&apos;s side set a cell aside stays text</translation>
    </message>
</context>
<context>
    <name>CommandTable</name>
    <message>
        <source>新規にﾌｧｲﾙを作成</source>
        <translation>Create a new document</translation>
    </message>
    <message>
        <source>新規ﾌｧｲﾙ</source>
        <translation>New</translation>
    </message>
    <message>
        <source>既存のﾌｧｲﾙを開く</source>
        <translation>Open an existing document</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>テキストから読み込み(&amp;I)...</source>
        <translation>&amp;Import from Text...</translation>
    </message>
    <message>
        <source>文字で描かれた図のﾃｷｽﾄ ﾌｧｲﾙを読み込み、新規ﾌｧｲﾙにする</source>
        <translation>Read a text file of character art as a new document</translation>
    </message>
    <message>
        <source>読み込み</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを閉じる</source>
        <translation>Close the active document</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを保存</source>
        <translation>Save the active document</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙに名前を付けて保存</source>
        <translation>Save the active document under a new name</translation>
    </message>
    <message>
        <source>名前をつけて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを印刷</source>
        <translation>Print the active document to a text file</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Text Print</translation>
    </message>
    <message>
        <source>クリップボードへ印刷する</source>
        <translation>Print the art to the clipboard</translation>
    </message>
    <message>
        <source>最新のﾌｧｲﾙ</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>指定のﾌｧｲﾙを開く</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示</source>
        <translation>Quit the application; asks to save documents</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す</source>
        <translation>Undo the last action</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>直前に行った動作を繰り返す</source>
        <translation>Redo the action undone last</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存</source>
        <translation>Cut the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存</source>
        <translation>Copy the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>ｺﾋﾟ-</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け</source>
        <translation>Insert the clipboard contents</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>図として貼り付け(&amp;G)</source>
        <translation>Paste as Dia&amp;gram</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字で描かれた図を図形にして、表示範囲の左上に貼り付け</source>
        <translation>Make the character art on the clipboard into shapes at the top left of the view</translation>
    </message>
    <message>
        <source>図として貼り付け</source>
        <translation>Paste as Diagram</translation>
    </message>
    <message>
        <source>図形の削除</source>
        <translation>Delete the shapes</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>選択したオブジェクトを画面の一番手前に出す</source>
        <translation>Bring the picked object to the front</translation>
    </message>
    <message>
        <source>手前に移動</source>
        <translation>Bring to Front</translation>
    </message>
    <message>
        <source>選択したオブジェクトを画面の一番奥へ移動する</source>
        <translation>Send the picked object to the back</translation>
    </message>
    <message>
        <source>奥に移動</source>
        <translation>Send to Back</translation>
    </message>
    <message>
        <source>図形をマウスで選択</source>
        <translation>Pick shapes with the mouse</translation>
    </message>
    <message>
        <source>選択</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>点を打つ</source>
        <translation>Put dots</translation>
    </message>
    <message>
        <source>点</source>
        <translation>Dot</translation>
    </message>
    <message>
        <source>線を引く</source>
        <translation>Draw lines</translation>
    </message>
    <message>
        <source>線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>四角を描く</source>
        <translation>Draw boxes</translation>
    </message>
    <message>
        <source>四角</source>
        <translation>Box</translation>
    </message>
    <message>
        <source>文字の入った枠を描く</source>
        <translation>Draw text boxes</translation>
    </message>
    <message>
        <source>文字枠</source>
        <translation>Text Box</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰの表示/非表示</source>
        <translation>Show or hide the toolbars</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示</source>
        <translation>Show or hide the status bar</translation>
    </message>
    <message>
        <source>新しいｳｨﾝﾄﾞｳを開く(&amp;N)</source>
        <translation>&amp;New Window</translation>
    </message>
    <message>
        <source>作業中のｳｨﾝﾄﾞｳを複写して表示</source>
        <translation>Open another window on the active document</translation>
    </message>
    <message>
        <source>新規ｳｨﾝﾄﾞｳ</source>
        <translation>New Window</translation>
    </message>
    <message>
        <source>重ねて表示(&amp;C)</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>ｳｨﾝﾄﾞｳを重ねて表示</source>
        <translation>Arrange the windows so that they overlap</translation>
    </message>
    <message>
        <source>重ねて表示</source>
        <translation>Cascade</translation>
    </message>
    <message>
        <source>並べて表示(&amp;T)</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>ｳｨﾝﾄﾞｳを上下に並べて表示</source>
        <translation>Arrange the windows one above the other</translation>
    </message>
    <message>
        <source>上下に並べて表示</source>
        <translation>Tile</translation>
    </message>
    <message>
        <source>ｱｲｺﾝの整列(&amp;A)</source>
        <translation>&amp;Arrange Icons</translation>
    </message>
    <message>
        <source>ｳｨﾝﾄﾞｳの下部にｱｲｺﾝを整列</source>
        <translation>Arrange the icons at the bottom of the window</translation>
    </message>
    <message>
        <source>ｱｲｺﾝの整列</source>
        <translation>Arrange Icons</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&amp;A)...</source>
        <translation>&amp;About Plenko...</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示</source>
        <translation>Show the program&apos;s information, version and copyright</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>指定のｳｨﾝﾄﾞｳを表示</source>
        <translation>Show this window</translation>
    </message>
    <message>
        <source>SVGで書き出し(&amp;G)...</source>
        <translation>Export S&amp;VG...</translation>
    </message>
    <message>
        <source>図をSVG画像のﾌｧｲﾙに書き出す</source>
        <translation>Export the diagram as an SVG picture file</translation>
    </message>
    <message>
        <source>SVG書き出し</source>
        <translation>Export SVG</translation>
    </message>
    <message>
        <source>PNGで書き出し(&amp;E)...</source>
        <translation>&amp;Export PNG...</translation>
    </message>
    <message>
        <source>図をPNG画像のﾌｧｲﾙに書き出す</source>
        <translation>Export the diagram as a PNG picture file</translation>
    </message>
    <message>
        <source>PNG書き出し</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <source>PNGで書き出し(2倍)(&amp;2)...</source>
        <translation>Export PNG (&amp;2x)...</translation>
    </message>
    <message>
        <source>図を2倍の大きさのPNG画像のﾌｧｲﾙに書き出す</source>
        <translation>Export the diagram as a PNG picture file at twice the size</translation>
    </message>
    <message>
        <source>PNG書き出し(2倍)</source>
        <translation>Export PNG (2x)</translation>
    </message>
    <message>
        <source>文字で表示(&amp;A)</source>
        <translation>Show as &amp;Characters</translation>
    </message>
    <message>
        <source>図を図形で表示/印刷される文字で表示</source>
        <translation>Show the diagram as shapes or as the characters it prints</translation>
    </message>
    <message>
        <source>文字で表示</source>
        <translation>Show as Characters</translation>
    </message>
    <message>
        <source>文字をその場で入力(&amp;E)</source>
        <translation>Type T&amp;ext in Place</translation>
    </message>
    <message>
        <source>文字枠の文字をﾀﾞｲｱﾛｸﾞではなく図の上で入力する</source>
        <translation>Type a text box&apos;s text on the sheet instead of in the text dialog</translation>
    </message>
    <message>
        <source>その場で入力</source>
        <translation>Type in Place</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>テキスト印刷(&amp;P)...</source>
        <translation>Text &amp;Print...</translation>
    </message>
    <message>
        <source>クリップボード印刷（Y)</source>
        <translation>Clip&amp;board Print</translation>
    </message>
    <message>
        <source>クリップボード印刷</source>
        <translation>Clipboard Print</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>もう一度(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>切り取り(&amp;X)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>すべての図形を選択</source>
        <translation>Select every shape</translation>
    </message>
    <message>
        <source>すべて選択</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>手前に移動(&amp;T)</source>
        <translation>Bring to &amp;Front</translation>
    </message>
    <message>
        <source>奥に移動(&amp;B)</source>
        <translation>Send to Bac&amp;k</translation>
    </message>
    <message>
        <source>選択(&amp;S)</source>
        <translation>&amp;Select</translation>
    </message>
    <message>
        <source>点(&amp;P)</source>
        <translation>D&amp;ot</translation>
    </message>
    <message>
        <source>線(&amp;L)</source>
        <translation>&amp;Line</translation>
    </message>
    <message>
        <source>枠(&amp;F)</source>
        <translation>&amp;Box</translation>
    </message>
    <message>
        <source>文字枠(&amp;S)</source>
        <translation>Te&amp;xt Box</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>図を大きく表示</source>
        <translation>Show the diagram larger</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>縮小(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>図を小さく表示</source>
        <translation>Show the diagram smaller</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>実際の大きさ(&amp;Z)</source>
        <translation>Actual Si&amp;ze</translation>
    </message>
    <message>
        <source>図を実際の大きさで表示</source>
        <translation>Show the diagram at its actual size</translation>
    </message>
    <message>
        <source>実際の大きさ</source>
        <translation>Actual Size</translation>
    </message>
    <message>
        <source>書式(&amp;M)...</source>
        <translation>For&amp;mat...</translation>
    </message>
    <message>
        <source>選んだ線や枠の線種と角を設定する</source>
        <translation>Set the stroke and the corners of the picked or selected lines and boxes</translation>
    </message>
    <message>
        <source>書式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>罫線の文字で印刷(&amp;U)</source>
        <translation>Print &amp;Unicode Lines</translation>
    </message>
    <message>
        <source>テキスト印刷とクリップボード印刷で、線を罫線の文字 (UTF-8) で書く</source>
        <translation>Text print and clipboard print draw lines with box-drawing characters (UTF-8)</translation>
    </message>
    <message>
        <source>周りの空白を除いて印刷(&amp;M)</source>
        <translation>Print Without &amp;Margins</translation>
    </message>
    <message>
        <source>テキスト印刷とクリップボード印刷で、図の周りの空白を除く</source>
        <translation>Text print and clipboard print leave out the blank margins round the drawing</translation>
    </message>
    <message>
        <source>コメントとして印刷(&amp;K)...</source>
        <translation>Print as Commen&amp;t...</translation>
    </message>
    <message>
        <source>テキスト印刷とクリップボード印刷で、各行の頭にコメントの印を付ける</source>
        <translation>Text print and clipboard print start every line with a comment prefix</translation>
    </message>
    <message>
        <source>次のｳｨﾝﾄﾞｳに切り替え</source>
        <translation>Switch to the next window</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ｳｨﾝﾄﾞｳ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの中の図を開く(&amp;D)...</source>
        <translation>Open &amp;Diagram in File...</translation>
    </message>
    <message>
        <source>README やソースのコメントの中の図を選んで開き、保存でその行に書き戻す</source>
        <translation>Open a diagram in a README or a source comment; Save writes it back into its lines</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙの中の図</source>
        <translation>Diagram in File</translation>
    </message>
</context>
<context>
    <name>DataExchange</name>
    <message>
        <source>%1 文字以内で入力してください。</source>
        <translation>Enter at most %1 characters.</translation>
    </message>
    <message>
        <source>整数を入力してください。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>%1 から %2 までの整数を入力してください。</source>
        <translation>Enter a whole number from %1 to %2.</translation>
    </message>
</context>
<context>
    <name>DocumentLock</name>
    <message>
        <source>%1, プロセス %2</source>
        <translation>%1, process %2</translation>
    </message>
</context>
<context>
    <name>FormatDialog</name>
    <message>
        <source>書式</source>
        <translation>Format</translation>
    </message>
</context>
<context>
    <name>InPlaceEditor</name>
    <message>
        <source>図の文字にタブは使えません。空白を使ってください。</source>
        <translation>A diagram&apos;s text cannot hold a tab: use spaces.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>ﾚﾃﾞｨ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>座標</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>ｶﾅ</source>
        <translation>KANA</translation>
    </message>
    <message>
        <source>ｾﾙ</source>
        <translation>Cell</translation>
    </message>
    <message>
        <source>コメントとして印刷</source>
        <translation>Print as Comment</translation>
    </message>
    <message>
        <source>各行の頭に付ける文字:</source>
        <translation>Start every line with:</translation>
    </message>
    <message>
        <source>シフト JIS にない文字 %1 個を代わりの文字で書きました</source>
        <translation>Wrote %1 characters that Shift JIS cannot hold as their substitutes</translation>
    </message>
</context>
<context>
    <name>MarkerDialog</name>
    <message>
        <source>結合</source>
        <translation>join</translation>
    </message>
    <message>
        <source>横線</source>
        <translation>horizontal line</translation>
    </message>
    <message>
        <source>縦線</source>
        <translation>vertical line</translation>
    </message>
    <message>
        <source>斜線</source>
        <translation>oblique line</translation>
    </message>
    <message>
        <source>横点線</source>
        <translation>horizontal dotted line</translation>
    </message>
    <message>
        <source>縦点線</source>
        <translation>vertical dotted line</translation>
    </message>
    <message>
        <source>黒丸</source>
        <translation>black circle</translation>
    </message>
    <message>
        <source>白丸</source>
        <translation>white circle</translation>
    </message>
    <message>
        <source>左矢</source>
        <translation>left arrow</translation>
    </message>
    <message>
        <source>右矢</source>
        <translation>right arrow</translation>
    </message>
    <message>
        <source>上矢</source>
        <translation>up arrow</translation>
    </message>
    <message>
        <source>下矢</source>
        <translation>down arrow</translation>
    </message>
    <message>
        <source>派生</source>
        <translation>derivation</translation>
    </message>
    <message>
        <source>集約</source>
        <translation>aggregation</translation>
    </message>
    <message>
        <source>関連属性</source>
        <translation>association attribute</translation>
    </message>
    <message>
        <source>端点にする文字を 1 文字入力してください。</source>
        <translation>Type the one character the marker is to be.</translation>
    </message>
    <message>
        <source>%1 は端点に使えない文字です (空白、制御文字、結合文字など)。</source>
        <translation>%1 cannot be a marker (it is a blank, a control character, a combining mark or the like).</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>character</translation>
    </message>
    <message>
        <source>端点選択</source>
        <translation>End Marker</translation>
    </message>
</context>
<context>
    <name>PrintDialog</name>
    <message>
        <source>出力ファイル &quot;%1&quot; は文書自身です。別の名前を指定してください。</source>
        <translation>The output file &quot;%1&quot; is the document itself. Give another name.</translation>
    </message>
    <message>
        <source>テキストへ印刷</source>
        <translation>Print to Text</translation>
    </message>
</context>
<context>
    <name>QtDialogRunner</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>枠</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>横：</source>
        <translation>Across:</translation>
    </message>
    <message>
        <source>縦：</source>
        <translation>Down:</translation>
    </message>
    <message>
        <source>ファイル名：</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>文字は %1 バイトまでです。それより後は入りません。</source>
        <translation>The text holds at most %1 bytes; no more fits.</translation>
    </message>
    <message>
        <source>線種</source>
        <translation>Stroke</translation>
    </message>
    <message>
        <source>実線</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>太線</source>
        <translation>Heavy</translation>
    </message>
    <message>
        <source>二重線</source>
        <translation>Double</translation>
    </message>
    <message>
        <source>破線</source>
        <translation>Dashed</translation>
    </message>
    <message>
        <source>点線</source>
        <translation>Dotted</translation>
    </message>
    <message>
        <source>枠の角</source>
        <translation>Box corners</translation>
    </message>
    <message>
        <source>角</source>
        <translation>Square</translation>
    </message>
    <message>
        <source>丸</source>
        <translation>Rounded</translation>
    </message>
    <message>
        <source>文字は %1 文字までです。それより後は入りません。</source>
        <translation>The text holds at most %1 characters; no more fits.</translation>
    </message>
    <message>
        <source>文字:</source>
        <translation>Character:</translation>
    </message>
</context>
<context>
    <name>TextDialog</name>
    <message>
        <source>文字入力</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>文字列が UTF-8 ではありません。</source>
        <translation>The text is not UTF-8.</translation>
    </message>
    <message>
        <source>文字列にタブは使えません。</source>
        <translation>The text cannot hold a tab.</translation>
    </message>
    <message>
        <source>文字列に制御文字 %1 は使えません。</source>
        <translation>The text cannot hold the control character %1.</translation>
    </message>
</context>
<context>
    <name>TextOutput</name>
    <message>
        <source>ファイルオープン エラー</source>
        <translation>File Open Error</translation>
    </message>
    <message>
        <source>クリップボードが開けません</source>
        <translation>The clipboard cannot be opened</translation>
    </message>
    <message>
        <source>クリップボードにデータをセットできません</source>
        <translation>The data cannot be put on the clipboard</translation>
    </message>
    <message>
        <source>出力ファイル &quot;%1&quot;が開けませんでした。(%2)</source>
        <translation>The output file &quot;%1&quot; could not be opened (%2).</translation>
    </message>
    <message>
        <source>出力ファイル &quot;%1&quot;に書き込めませんでした。(%2)</source>
        <translation>The output file &quot;%1&quot; could not be written (%2).</translation>
    </message>
</context>
<context>
    <name>ViewController</name>
    <message>
        <source>図として貼り付け</source>
        <translation>Paste as Diagram</translation>
    </message>
    <message>
        <source>クリップボードの文字を図にできません: %1</source>
        <translation>The clipboard&apos;s text cannot be made a diagram: %1</translation>
    </message>
    <message>
        <source>クリップボードに図がありません</source>
        <translation>There is no diagram on the clipboard</translation>
    </message>
    <message>
        <source>文書に入らない文字 %1 個を &quot;?&quot; にしました</source>
        <translation>Replaced %1 characters that a document cannot hold with &quot;?&quot;</translation>
    </message>
</context>
<context>
    <name>virlo::BlockListDialog</name>
    <message>
        <source>ﾌｧｲﾙの中の図を開く</source>
        <translation>Open Diagram in File</translation>
    </message>
    <message>
        <source>%1 の図:</source>
        <translation>Diagrams in %1:</translation>
    </message>
    <message>
        <source>%1 行  %2 %3  %4</source>
        <translation>lines %1  %2 %3  %4</translation>
    </message>
</context>
</TS>
