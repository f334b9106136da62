<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
    <context>
        <name>mainwindow</name>
        <message>
            <source>Lumora X8 Setting Software</source>
            <translation>Lumora X8 設定ソフトウェア</translation>
        </message>
        <message>
            <source>Camera is Not Connected</source>
            <translation>カメラが接続されていません</translation>
        </message>
        <message>
            <source>Hide the side panel</source>
            <translation>サイドパネルを隠す</translation>
        </message>
        <message>
            <source>Show the side panel</source>
            <translation>サイドパネルを表示</translation>
        </message>
    </context>
    <context>
        <name>mainwindowClass</name>
        <message>
            <source>RK38M20</source>
            <translation>RK38M20</translation>
        </message>
        <message>
            <source>streamLabel</source>
            <translation>streamLabel</translation>
        </message>
        <message>
            <source>Camera picture</source>
            <translation>カメラの映像</translation>
        </message>
        <message>
            <source>The live picture of the camera, as the settings change it</source>
            <translation>設定の変更が反映されるカメラのライブ映像</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>設定</translation>
        </message>
        <message>
            <source>Stream mode</source>
            <translation>ストリームモード</translation>
        </message>
        <message>
            <source>Information</source>
            <translation>情報</translation>
        </message>
        <message>
            <source>Ctrl+Tab goes to the next page</source>
            <translation>Ctrl+Tab で次のページへ移動します</translation>
        </message>
    </context>
    <context>
        <name>SettingTab</name>
        <message>
            <source>SettingTab</source>
            <translation>SettingTab</translation>
        </message>
        <message>
            <source>ePTZ</source>
            <translation>ePTZ</translation>
        </message>
        <message>
            <source>Digital Zoom</source>
            <translation>デジタルズーム</translation>
        </message>
        <message>
            <source>Reset</source>
            <translation>リセット</translation>
        </message>
        <message>
            <source>Exposure</source>
            <translation>露出</translation>
        </message>
        <message>
            <source>Gain</source>
            <translation>ゲイン</translation>
        </message>
        <message>
            <source>Exposure time</source>
            <translation>露出時間</translation>
        </message>
        <message>
            <source>White Balance</source>
            <translation>ホワイトバランス</translation>
        </message>
        <message>
            <source>Custom</source>
            <translation>カスタム</translation>
        </message>
        <message>
            <source>Image Adjustment</source>
            <translation>画像調整</translation>
        </message>
        <message>
            <source>Brightness</source>
            <translation>明るさ</translation>
        </message>
        <message>
            <source>Contrast</source>
            <translation>コントラスト</translation>
        </message>
        <message>
            <source>Hue</source>
            <translation>色相</translation>
        </message>
        <message>
            <source>Saturation</source>
            <translation>彩度</translation>
        </message>
        <message>
            <source>Sharpness</source>
            <translation>シャープネス</translation>
        </message>
        <message>
            <source>Gamma</source>
            <translation>ガンマ</translation>
        </message>
        <message>
            <source>Backlight Compensation</source>
            <translation>逆光補正</translation>
        </message>
        <message>
            <source>HDR</source>
            <translation>HDR</translation>
        </message>
        <message>
            <source>Distortion Correction</source>
            <translation>歪み補正</translation>
        </message>
        <message>
            <source>Horizontal Reversal</source>
            <translation>左右反転</translation>
        </message>
        <message>
            <source>Anti-flicker</source>
            <translation>フリッカー防止</translation>
        </message>
        <message>
            <source>50Hz</source>
            <translation>50Hz</translation>
        </message>
        <message>
            <source>60Hz</source>
            <translation>60Hz</translation>
        </message>
        <message>
            <source>Auto Zoom</source>
            <translation>オートズーム</translation>
        </message>
        <message>
            <source>Sensitivity</source>
            <translation>感度</translation>
        </message>
        <message>
            <source>Zoom Level</source>
            <translation>ズームレベル</translation>
        </message>
        <message>
            <source>Tracking Active Speakers</source>
            <translation>話者トラッキング</translation>
        </message>
        <message>
            <source>Auto Zoom will automatically detect the 
human figure on the screen and zoom in on it.</source>
            <translation>オートズームは画面上の人物を自動的に
検出し、その人物にズームインします。</translation>
        </message>
        <message>
            <source>Tracking Active Speakers will track the speaker 
and display a voice animation next to it.									
*Notice: When there are multiple voices of 
people, Tracking Active Speaker will only 
capture the person who emits the largest 
decibel.
</source>
            <translation>話者トラッキングは話している人を
追跡し、その横に音声アニメーションを
表示します。
*注意：複数の人が話している場合は、
最も大きな声の人だけを捉えます。
</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <source>Enable</source>
            <translation>有効にする</translation>
        </message>
        <message>
            <source>Auto Zoom will be Activated</source>
            <translation>オートズームを有効にします</translation>
        </message>
        <message>
            <source>Activating Auto Zoom will turn off Digital 
Zoom and restore it to the default value. 						
Are you sure to enable Auto Zoom?</source>
            <translation>オートズームを有効にすると、デジタル
ズームはオフになり既定値に戻ります。
オートズームを有効にしますか？</translation>
        </message>
        <message>
            <source>Digital Zoom will be Activated</source>
            <translation>デジタルズームを有効にします</translation>
        </message>
        <message>
            <source>Activating Digital Zoom will turn off Auto Zoom. 						
Are you sure to enable Digital Zoom?</source>
            <translation>デジタルズームを有効にすると、
オートズームはオフになります。
デジタルズームを有効にしますか？</translation>
        </message>
        <message>
            <source>Backlight Compensation will be Activated</source>
            <translation>逆光補正を有効にします</translation>
        </message>
        <message>
            <source>Activating Backlight Compensation will 
restore Gamma to the default value. 						
Are you sure to enable?</source>
            <translation>逆光補正を有効にすると、ガンマは
既定値に戻ります。
有効にしますか？</translation>
        </message>
        <message>
            <source>Gamma will be Activated</source>
            <translation>ガンマを有効にします</translation>
        </message>
        <message>
            <source>Activating Gamma will turn off 
Backlight Compensation. 						
Are you sure to enable?</source>
            <translation>ガンマを有効にすると、
逆光補正はオフになります。
有効にしますか？</translation>
        </message>
        <message>
            <source>White balance temperature</source>
            <translation>ホワイトバランスの色温度</translation>
        </message>
        <message>
            <source>Zoom in percent</source>
            <translation>ズーム（パーセント）</translation>
        </message>
        <message>
            <source>Colour temperature in kelvin</source>
            <translation>色温度（ケルビン）</translation>
        </message>
        <message>
            <source>Gamma times 100</source>
            <translation>ガンマ × 100</translation>
        </message>
        <message>
            <source>Exposure time as a power of two of a second</source>
            <translation>露出時間（2 のべき乗秒）</translation>
        </message>
        <message>
            <source>Automatic exposure</source>
            <translation>自動露出</translation>
        </message>
        <message>
            <source>Off shows the gain and exposure time sliders</source>
            <translation>オフにするとゲインと露出時間のスライダーが表示されます</translation>
        </message>
        <message>
            <source>Automatic white balance</source>
            <translation>自動ホワイトバランス</translation>
        </message>
        <message>
            <source>Off shows the colour temperature slider</source>
            <translation>オフにすると色温度のスライダーが表示されます</translation>
        </message>
        <message>
            <source>Pan and tilt</source>
            <translation>パンとチルト</translation>
        </message>
        <message>
            <source>While zoomed in, the arrow keys move the view</source>
            <translation>ズーム中は矢印キーで表示範囲を移動します</translation>
        </message>
        <message>
            <source>Back to the whole view</source>
            <translation>全体表示に戻します</translation>
        </message>
        <message>
            <source>About Auto Zoom</source>
            <translation>オートズームについて</translation>
        </message>
        <message>
            <source>About Tracking Active Speakers</source>
            <translation>話者トラッキングについて</translation>
        </message>
    </context>
    <context>
        <name>ModeTab</name>
        <message>
            <source>ModeTab</source>
            <translation>ModeTab</translation>
        </message>
        <message>
            <source>Video Stream Mode</source>
            <translation>ビデオストリームモード</translation>
        </message>
        <message>
            <source>Modify</source>
            <translation>変更</translation>
        </message>
        <message>
            <source>H264</source>
            <translation>H264</translation>
        </message>
        <message>
            <source>MJPG</source>
            <translation>MJPG</translation>
        </message>
        <message>
            <source>YUY2</source>
            <translation>YUY2</translation>
        </message>
        <message>
            <source>2560x1440(30p)</source>
            <translation>2560x1440(30p)</translation>
        </message>
        <message>
            <source>1920x1080(30p)</source>
            <translation>1920x1080(30p)</translation>
        </message>
        <message>
            <source>1280x720(30p)</source>
            <translation>1280x720(30p)</translation>
        </message>
        <message>
            <source>640x360(30p)</source>
            <translation>640x360(30p)</translation>
        </message>
        <message>
            <source>Resolution</source>
            <translation>解像度</translation>
        </message>
    </context>
    <context>
        <name>InfoTab</name>
        <message>
            <source>InfoTab</source>
            <translation>InfoTab</translation>
        </message>
        <message>
            <source>Software Version</source>
            <translation>ソフトウェアバージョン</translation>
        </message>
        <message>
            <source>Ver. 0.00.00</source>
            <translation>Ver. 0.00.00</translation>
        </message>
        <message>
            <source>1.00.00</source>
            <translation>1.00.00</translation>
        </message>
        <message>
            <source>Firmware Version</source>
            <translation>ファームウェアバージョン</translation>
        </message>
        <message>
            <source>FW Update</source>
            <translation>FW 更新</translation>
        </message>
        <message>
            <source>Reset</source>
            <translation>リセット</translation>
        </message>
        <message>
            <source>Back to System Default</source>
            <translation>システムの既定値に戻す</translation>
        </message>
        <message>
            <source>Device Information</source>
            <translation>デバイス情報</translation>
        </message>
        <message>
            <source>Serial Number</source>
            <translation>シリアル番号</translation>
        </message>
        <message>
            <source>Save Diagnostics</source>
            <translation>診断情報を保存</translation>
        </message>
        <message>
            <source>Saves the log, the versions and the camera&apos;s settings in one file for support</source>
            <translation>ログ、バージョン、カメラの設定をサポート用に1つのファイルに保存します</translation>
        </message>
        <message>
            <source>Diagnostic bundle (*.tar.gz)</source>
            <translation>診断情報 (*.tar.gz)</translation>
        </message>
        <message>
            <source>Diagnostics Saved</source>
            <translation>診断情報を保存しました</translation>
        </message>
        <message>
            <source>The diagnostic bundle was saved as
%1</source>
            <translation>診断情報を次のファイルに保存しました:
%1</translation>
        </message>
        <message>
            <source>Saving Failed</source>
            <translation>保存に失敗しました</translation>
        </message>
        <message>
            <source>01234567890</source>
            <translation>01234567890</translation>
        </message>
        <message>
            <source>Open Source Licenses</source>
            <translation>オープンソースライセンス</translation>
        </message>
        <message>
            <source>Software</source>
            <translation>ソフトウェア</translation>
        </message>
        <message>
            <source>Camera</source>
            <translation>カメラ</translation>
        </message>
        <message>
            <source>Reset Succesfully</source>
            <translation>リセットしました</translation>
        </message>
        <message>
            <source>All settings have been reset to default values.</source>
            <translation>すべての設定が既定値に戻りました。</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <source>Reset all settings to default. 
Are you sure you want to reset ?</source>
            <translation>すべての設定を既定値に戻します。
リセットしてもよろしいですか？</translation>
        </message>
        <message>
            <source>Firmware Update</source>
            <translation>ファームウェアの更新</translation>
        </message>
        <message>
            <source>The firmware update will take a while and
 the device will reboot.
 Are you sure want to update?</source>
            <translation>ファームウェアの更新には時間がかかり、
デバイスが再起動します。
更新してもよろしいですか？</translation>
        </message>
        <message>
            <source>Update Now</source>
            <translation>今すぐ更新</translation>
        </message>
        <message>
            <source>Choose firmware file</source>
            <translation>ファームウェアファイルの選択</translation>
        </message>
        <message>
            <source>firmware file(*.bin)</source>
            <translation>ファームウェアファイル(*.bin)</translation>
        </message>
        <message>
            <source>Firmware Update Failed</source>
            <translation>ファームウェアを更新できません</translation>
        </message>
        <message>
            <source>Please check if it is the latest version.</source>
            <translation>最新のバージョンかどうかを確認してください。</translation>
        </message>
        <message>
            <source>Try Again</source>
            <translation>再試行</translation>
        </message>
        <message>
            <source>Start Firmware Update</source>
            <translation>ファームウェアの更新を開始します</translation>
        </message>
        <message>
            <source>The device will reboot for firmware update,
 please do not unplug the USB cable during
 the camera update process.</source>
            <translation>ファームウェアの更新のためにデバイスが再起動します。
カメラの更新中は USB ケーブルを
抜かないでください。</translation>
        </message>
        <message>
            <source>Transmission Failed</source>
            <translation>転送に失敗しました</translation>
        </message>
        <message>
            <source>The file is damaged, please try again.</source>
            <translation>ファイルが破損しています。もう一度お試しください。</translation>
        </message>
        <message>
            <source>Open Source Licenses (PC Tool)</source>
            <translation>オープンソースライセンス（PC ツール）</translation>
        </message>
        <message>
            <source>Open Source Licenses (Camera)</source>
            <translation>オープンソースライセンス（カメラ）</translation>
        </message>
        <message>
            <source>Invalid Firmware File</source>
            <translation>無効なファームウェアファイル</translation>
        </message>
        <message>
            <source>The file cannot be read.</source>
            <translation>ファイルを読み込めません。</translation>
        </message>
        <message>
            <source>The selected path is not a file.</source>
            <translation>選択したパスはファイルではありません。</translation>
        </message>
        <message>
            <source>The file is empty.</source>
            <translation>ファイルが空です。</translation>
        </message>
        <message>
            <source>The file is shorter than a firmware header (128 bytes).</source>
            <translation>ファイルがファームウェアヘッダー (128 バイト) より短いです。</translation>
        </message>
        <message>
            <source>The file is too large to send to the camera.</source>
            <translation>ファイルが大きすぎるため、カメラに送信できません。</translation>
        </message>
        <message>
            <source>The camera did not answer the firmware check.
 Please try again.</source>
            <translation>カメラがファームウェアの確認に応答しませんでした。
 再度お試しください。</translation>
        </message>
        <message>
            <source>The camera did not accept the firmware image
 it received. Please try again.</source>
            <translation>カメラは受信したファームウェアイメージを
 受け付けませんでした。再度お試しください。</translation>
        </message>
        <message>
            <source>Reset Failed</source>
            <translation>リセットに失敗しました</translation>
        </message>
        <message>
            <source>The camera did not confirm the reset.
 Please check the settings and try again.</source>
            <translation>カメラがリセットを確認しませんでした。
 設定を確認して、再度お試しください。</translation>
        </message>
        <message>
            <source>The camera is not connected.
 Please wait until it is ready and try again.</source>
            <translation>カメラが接続されていません。
 準備ができてから再度お試しください。</translation>
        </message>
        <message>
            <source>The camera did not accept the firmware file.
 Please try again.</source>
            <translation>カメラがファームウェアファイルを受け付けませんでした。
 再度お試しください。</translation>
        </message>
        <message>
            <source>The firmware file cannot be opened.</source>
            <translation>ファームウェアファイルを開けません。</translation>
        </message>
        <message>
            <source>The firmware file is empty.</source>
            <translation>ファームウェアファイルが空です。</translation>
        </message>
        <message>
            <source>The camera did not start the update.
 Please try again.</source>
            <translation>カメラが更新を開始しませんでした。
 再度お試しください。</translation>
        </message>
        <message>
            <source>The camera did not answer in time.
 Please try again.</source>
            <translation>カメラが時間内に応答しませんでした。
 再度お試しください。</translation>
        </message>
        <message>
            <source>The camera reported a failure
 while updating. Please try again.</source>
            <translation>カメラが更新中に失敗を報告しました。
 再度お試しください。</translation>
        </message>
        <message>
            <source>The camera was disconnected during the update.
 Its firmware is unchanged.</source>
            <translation>更新中にカメラが切断されました。
 ファームウェアは変更されていません。</translation>
        </message>
        <message>
            <source>Firmware Update Completed</source>
            <translation>ファームウェアの更新が完了しました</translation>
        </message>
        <message>
            <source>The camera now runs firmware version %1.</source>
            <translation>カメラのファームウェアはバージョン %1 になりました。</translation>
        </message>
        <message>
            <source>The camera restarted with firmware version %1
 instead of %2. Please try again.</source>
            <translation>カメラは %2 ではなくファームウェア
 バージョン %1 で再起動しました。再度お試しください。</translation>
        </message>
        <message>
            <source>A firmware update is running.
 Quitting now may leave the camera
 unusable. Quit anyway?</source>
            <translation>ファームウェアの更新中です。
 今終了するとカメラが使用できなく
 なる恐れがあります。終了しますか？</translation>
        </message>
        <message>
            <source>Quit</source>
            <translation>終了</translation>
        </message>
        <message>
            <source>Open source licenses of the software</source>
            <translation>ソフトウェアのオープンソースライセンス</translation>
        </message>
        <message>
            <source>Open source licenses of the camera</source>
            <translation>カメラのオープンソースライセンス</translation>
        </message>
    </context>
    <context>
        <name>CustomProgressDialog</name>
        <message>
            <source>File Uploading...</source>
            <translation>ファイルをアップロードしています...</translation>
        </message>
        <message>
            <source>This operation may take a while.</source>
            <translation>この操作には時間がかかる場合があります。</translation>
        </message>
        <message>
            <source>Transfer progress</source>
            <translation>転送の進行状況</translation>
        </message>
        <message>
            <source>Cancel the transfer</source>
            <translation>転送をキャンセル</translation>
        </message>
    </context>
    <context>
        <name>CustomModeSwitcher</name>
        <message>
            <source>ModeA</source>
            <translation>モード A</translation>
        </message>
        <message>
            <source>ModeB</source>
            <translation>モード B</translation>
        </message>
        <message>
            <source>ModeC</source>
            <translation>モード C</translation>
        </message>
    </context>
    <context>
        <name>BusyProgress</name>
        <message>
            <source>BusyProgress</source>
            <translation>BusyProgress</translation>
        </message>
    </context>
    <context>
        <name>PopupLicenseLayout</name>
        <message>
            <source>The notice is not available: %1 is not installed.</source>
            <translation>この通知はありません: %1 がインストールされていません。</translation>
        </message>
    </context>
    <context>
        <name>GeneralDialog</name>
        <message>
            <source>Cancel</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>mainwindow</name>
        <message>
            <source>Stream Format</source>
            <translation>ストリーム形式</translation>
        </message>
        <message>
            <source>The camera could not open the chosen format.
The previous format is used again.</source>
            <translation>カメラは選択した形式を開けませんでした。
以前の形式に戻しました。</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>PopupLicenseLayout</name>
        <message>
            <source>Close</source>
            <translation>閉じる</translation>
        </message>
    </context>
    <context>
        <name>FramingController</name>
        <message>
            <source>No camera is ready</source>
            <translation>カメラの準備ができていません</translation>
        </message>
        <message>
            <source>Not saved: %1</source>
            <translation>保存できませんでした: %1</translation>
        </message>
        <message>
            <source>Saved &quot;%1&quot;</source>
            <translation>「%1」を保存しました</translation>
        </message>
        <message>
            <source>&quot;%1&quot; is no longer saved</source>
            <translation>「%1」は保存されていません</translation>
        </message>
        <message>
            <source>Auto Zoom frames the picture: switch it off to apply a framing</source>
            <translation>オートズームが画角を決めています。フレーミングを適用するにはオフにしてください</translation>
        </message>
        <message>
            <source>The camera went away before &quot;%1&quot; was applied</source>
            <translation>「%1」を適用する前にカメラが切断されました</translation>
        </message>
        <message>
            <source>Applied &quot;%1&quot;</source>
            <translation>「%1」を適用しました</translation>
        </message>
        <message>
            <source>The camera did not keep all of &quot;%1&quot;: %2</source>
            <translation>カメラは「%1」の一部を保持しませんでした: %2</translation>
        </message>
        <message>
            <source>Not renamed: %1</source>
            <translation>名前を変更できませんでした: %1</translation>
        </message>
        <message>
            <source>Renamed &quot;%1&quot; to &quot;%2&quot;</source>
            <translation>「%1」の名前を「%2」に変更しました</translation>
        </message>
        <message>
            <source>Not deleted: %1</source>
            <translation>削除できませんでした: %1</translation>
        </message>
        <message>
            <source>Deleted &quot;%1&quot;</source>
            <translation>「%1」を削除しました</translation>
        </message>
    </context>
    <context>
        <name>FramingRow</name>
        <message>
            <source>Apply</source>
            <translation>適用</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <source>Rename...</source>
            <translation>名前の変更...</translation>
        </message>
        <message>
            <source>Delete...</source>
            <translation>削除...</translation>
        </message>
        <message>
            <source>Framing name</source>
            <translation>フレーミング名</translation>
        </message>
        <message>
            <source>Named framing</source>
            <translation>保存したフレーミング</translation>
        </message>
        <message>
            <source>Zoom, pan and tilt saved under a name; type a new name to save one</source>
            <translation>名前を付けて保存したズーム・パン・チルト。新しい名前を入力すると保存できます</translation>
        </message>
        <message>
            <source>Sets the camera to the chosen framing</source>
            <translation>選んだフレーミングをカメラに設定します</translation>
        </message>
        <message>
            <source>Saves the current zoom, pan and tilt under the name</source>
            <translation>現在のズーム・パン・チルトをこの名前で保存します</translation>
        </message>
        <message>
            <source>More framing actions</source>
            <translation>フレーミングのその他の操作</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <source>Replace Framing</source>
            <translation>フレーミングの置き換え</translation>
        </message>
        <message>
            <source>A framing named &quot;%1&quot; exists. Replace it?</source>
            <translation>「%1」という名前のフレーミングがあります。置き換えますか？</translation>
        </message>
        <message>
            <source>Replace</source>
            <translation>置き換え</translation>
        </message>
        <message>
            <source>Rename Framing</source>
            <translation>フレーミングの名前の変更</translation>
        </message>
        <message>
            <source>New name:</source>
            <translation>新しい名前:</translation>
        </message>
        <message>
            <source>Delete Framing</source>
            <translation>フレーミングの削除</translation>
        </message>
        <message>
            <source>Delete the framing &quot;%1&quot;?</source>
            <translation>フレーミング「%1」を削除しますか？</translation>
        </message>
        <message>
            <source>Delete</source>
            <translation>削除</translation>
        </message>
    </context>
    <context>
        <name>PreviewFraming</name>
        <message>
            <source>The live picture of the camera. While zoomed in, a double-click centres the view on a point, the arrow keys move it and the wheel zooms</source>
            <translation>カメラのライブ映像。ズーム中は、ダブルクリックでその位置を中央に、矢印キーで表示範囲を移動、ホイールでズームします</translation>
        </message>
    </context>
    <context>
        <name>mainwindow</name>
        <message>
            <source>Another application</source>
            <translation>別のアプリケーション</translation>
        </message>
        <message>
            <source>%1 is using the camera&apos;s picture.
The settings work as usual; the picture returns here when the camera is free.</source>
            <translation>%1 がカメラの映像を使用しています。
設定はいつも通り変更できます。カメラが空くと映像がここに戻ります。</translation>
        </message>
        <message>
            <source>The camera may not be opened by this user.
On a desktop, log in on the computer&apos;s own seat (udev&apos;s uaccess rule gives its user the cameras);
otherwise add the user to the group &quot;video&quot; and log in again.</source>
            <translation>このユーザーにはカメラを開く権限がありません。
デスクトップでは、このコンピューター自身の席からログインしてください（udev の uaccess 規則がそのユーザーにカメラを与えます）。
それ以外の場合は、ユーザーをグループ「video」に追加して、ログインし直してください。</translation>
        </message>
        <message>
            <source>%1 is using the camera&apos;s picture.
%2 The call&apos;s picture will drop.
Continue?</source>
            <translation>%1 がカメラの映像を使用しています。
%2 通話の映像は途切れます。
続けますか？</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <source>Continue</source>
            <translation>続ける</translation>
        </message>
        <message>
            <source>A new stream format needs the camera&apos;s stream.</source>
            <translation>新しいストリーム形式にはカメラのストリームが必要です。</translation>
        </message>
        <message>
            <source>Firmware Update</source>
            <translation>ファームウェアの更新</translation>
        </message>
        <message>
            <source>The camera restarts for its new firmware.</source>
            <translation>カメラは新しいファームウェアのために再起動します。</translation>
        </message>
    </context>
</TS>
