#include "text/port_words.h"

#include "text/words.h"

namespace vk47 {

PortWords PortTroubleWords(CommErrorKind kind) {
  switch (kind) {
    case CommErrorKind::kNone: break;
    case CommErrorKind::kNotFound:
      return {VK47_TEXT("シリアルポート %1 が見つかりません。ケーブルとアダプタの接続を確かめてください。"),
              VK47_TEXT("%1 が見つかりません")};
    case CommErrorKind::kInUse:
      return {VK47_TEXT("シリアルポート %1 は他のプログラムが使用中です。そのプログラムを閉じてから、もう一度送ってください。"),
              VK47_TEXT("%1 は他のプログラムが使用中です")};
    case CommErrorKind::kPermissionDenied:
      return {VK47_TEXT("シリアルポート %1 を開く権限がありません。先生に知らせてください。"),
              VK47_TEXT("%1 を開く権限がありません")};
    case CommErrorKind::kUnsupportedSetting:
      return {VK47_TEXT("シリアルポート %1 はこの通信設定に対応していません。先生に知らせてください。"),
              VK47_TEXT("%1 はこの通信設定に対応していません")};
    case CommErrorKind::kIoError:
      return {VK47_TEXT("シリアルポート %1 との接続が切れました。ロボットの電源とケーブル、アダプタを確かめてください。"),
              VK47_TEXT("ロボットとの接続が切れました")};
    case CommErrorKind::kTimedOut:
      return {VK47_TEXT("シリアルポート %1 への送信が時間内に終わりませんでした。ロボットの電源とケーブルを確かめてください。"),
              VK47_TEXT("ロボットが受け取りません")};
    case CommErrorKind::kShortWrite:
      return {VK47_TEXT("シリアルポート %1 への送信が途中で終わりました。ロボットの電源とケーブルを確かめてください。"),
              VK47_TEXT("送信が途中で終わりました")};
    case CommErrorKind::kNotOpen:
      return {VK47_TEXT("シリアルポート %1 が開かれていません。もう一度送ってください。"),
              VK47_TEXT("%1 が開かれていません")};
    case CommErrorKind::kBadPortName:
      return {VK47_TEXT("ポート名 \"%1\" は使えません。設定で COM1〜COM4 のどれかを選んでください。"),
              VK47_TEXT("ポート名が使えません")};
    case CommErrorKind::kRobotGone:
      return {VK47_TEXT("シリアルポート %1 につながっていた仮想ロボットはもう動いていません。起動し直してから、もう一度送ってください。"),
              VK47_TEXT("仮想ロボットが動いていません")};
    case CommErrorKind::kNotSerial:
      return {VK47_TEXT("%1 はシリアルポートではありません。ロボットをつないだポートを選んでください。"),
              VK47_TEXT("%1 はシリアルポートではありません")};
    case CommErrorKind::kStopped:
      return {VK47_TEXT("シリアルポート %1 への送信を中断しました。"), VK47_TEXT("送信を中断しました")};
    case CommErrorKind::kNoResources:
      return {VK47_TEXT("シリアルポート %1 を開けません。パソコンの空きが足りません。ほかのプログラムを閉じてから、もう一度送ってください。"),
              VK47_TEXT("パソコンの空きが足りません")};
    case CommErrorKind::kNotTheUsers:
      return {VK47_TEXT("シリアルポート %1 は、このユーザーが使えないデバイスにつながっています。先生に知らせてください。"),
              VK47_TEXT("%1 はこのユーザーのデバイスではありません")};
    case CommErrorKind::kSettingsUnreadable:
      return {VK47_TEXT("設定ファイルを読めないので、シリアルポート %1 がどのデバイスか分かりません。先生に知らせてください。"),
              VK47_TEXT("設定ファイルを読めません")};
    case CommErrorKind::kOther: break;
  }
  return {VK47_TEXT("シリアルポート %1 を使えません。アダプタを抜いて、差し直してください。"), VK47_TEXT("%1 を使えません")};
}

}  // namespace vk47
