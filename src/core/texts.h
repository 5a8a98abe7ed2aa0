#pragma once

// The program's own fixed texts: captions and messages shown to the user.
// Header-only constants, so that every layer above the commands and the speech
// engines takes its texts from here; those layers keep their own few texts,
// brought in here too.

#include "commands/command_texts.h"
#include "speech/speech_texts.h"

namespace quillon::text {

// ---- Captions: titles, buttons, labels and menus ---------------------------

inline constexpr const char* kAppTitle = "Quillon";
inline constexpr const char* kWindowCaption = "Quillon8.0版";
inline constexpr const char* kInformationTitle = "Information";
inline constexpr const char* kHelpTitle = "帮助";

// The main window.
inline constexpr const char* kNewGameNameCaption = "新的游戏名字：";
inline constexpr const char* kAddCaption = "添加";
inline constexpr const char* kGameListCaption = "游戏列表：";
inline constexpr const char* kDeleteGameCaption = "删除选中的游戏";
// The voice-commands button: before any game was started, while they run, and after.
inline constexpr const char* kStartCaptionDesign = "打开这个游戏的语音命令开始玩游戏";
inline constexpr const char* kStartCaptionRunning = "停止这个游戏的语音命令";
inline constexpr const char* kStartCaptionIdle = "开始这个游戏的语音命令";
inline constexpr const char* kHelpCaption = "软件帮助";
inline constexpr const char* kPhraseListCaption = "已经添加的语音快捷键：";
inline constexpr const char* kDeletePhraseCaption = "删除选中的语音快捷键";
inline constexpr const char* kPhraseCaption = "发音词汇：(添加你想读的中文词汇)";
inline constexpr const char* kActionCaption = "快捷键：(如果同时压两个键，用\"+\"号相连)";
// The test button, idle and while testing.
inline constexpr const char* kTestCaptionIdle = "开始测试游戏词汇";
inline constexpr const char* kTestCaptionRunning = "停止测试游戏词汇";
// The status line: the game whose vocabulary is open goes between the two.
inline constexpr const char* kStatusBefore = "当前打开";
inline constexpr const char* kStatusAfter = "的语音词汇！";

// In the feedback box when speech held no phrase.
inline constexpr const char* kNotRecognised = "没有识别重新念";

// The microphone list and its level meter.
inline constexpr const char* kMicrophoneCaption = "麦克风：";
inline constexpr const char* kDefaultMicrophone = "系统默认";
inline constexpr const char* kMicrophoneNotFound = "（未找到）";
inline constexpr const char* kMicrophoneFixed = "本次运行的麦克风由命令行或环境变量 QUILLON_ALSA_DEVICE 指定";
inline constexpr const char* kMicrophoneLevel = "麦克风音量：语音命令或测试运行时显示";

// The composer's file dialog.
inline constexpr const char* kOpenFileTitle = "打开文件";
inline constexpr const char* kAllFilesFilter = "所有文件 (*)";

// The on-screen echo: between the phrase heard and the action done.
inline constexpr const char* kEchoArrow = " → ";

// The tray icon.
inline constexpr const char* kTrayIdle = "Quillon：未运行语音命令";
inline constexpr const char* kTrayVoiceCommands = "Quillon：语音命令运行中";
inline constexpr const char* kTrayTestMode = "Quillon：测试游戏词汇";
inline constexpr const char* kTrayStart = "开始语音命令";
inline constexpr const char* kTrayStop = "停止语音命令";
inline constexpr const char* kTrayGames = "游戏";
inline constexpr const char* kTrayShowWindow = "显示窗口";
inline constexpr const char* kTrayQuit = "退出";

// The settings dialog.
inline constexpr const char* kSettingsTitle = "设置";
inline constexpr const char* kSettingsMenuItem = "设置…";
inline constexpr const char* kSettingsNotWritten = "设置已生效，但没能保存到文件，下次启动时不再有效：";
inline constexpr const char* kPushToTalkGroup = "按键说话";
inline constexpr const char* kPushToTalkKey = "按键：";
inline constexpr const char* kPushToTalkKeyHint = "点这里，再按一个键或鼠标侧键";
inline constexpr const char* kPushToTalkClear = "清除";
inline constexpr const char* kPushToTalkMode = "方式：";
inline constexpr const char* kPushToTalkOff = "不用按键";
inline constexpr const char* kPushToTalkHold = "按住按键时才听";
inline constexpr const char* kPushToTalkToggle = "按一下开始或停止语音命令";
inline constexpr const char* kTiesGroup = "窗口对应的游戏（语音命令运行时，切换到这个窗口就用这个游戏的词汇）";
inline constexpr const char* kTieGameColumn = "游戏";
inline constexpr const char* kTieWindowColumn = "窗口";
inline constexpr const char* kTieByClass = "窗口类：";
inline constexpr const char* kTieByTitle = "标题包含：";
inline constexpr const char* kTieOpenWindows = "打开的窗口：";
inline constexpr const char* kTieRefresh = "刷新";
inline constexpr const char* kTieAdd = "添加";
inline constexpr const char* kTieRemove = "删除选中的";
inline constexpr const char* kEchoSetting = "在屏幕角落显示听到的词汇和执行的操作";
inline constexpr const char* kCloseToTraySetting = "关闭窗口后在系统托盘里继续运行";

// ---- Messages: what message boxes say -------------------------------------

// Start-up, with the Windows speech platform's engine: set up and trained in
// the platform's Control Panel.
inline constexpr const char* kStartupAdvice =
    "最好进行语音训练，如果你普通话很标准，也可不必进行语音训练，但必\r\n"
    "须按照下面的提示配置麦克风。\r\n"
    "打开“控制面板”，双击“语音”图标。在“语音识别”页下，先确保\r\n"
    "“语言”下拉列表里是中文识别引擎，即\r\n"
    "“Microsoft Simplified Chinese Recgnizer”或者\r\n"
    "“Microsoft 中文(简体) 识别器”，如果不是，请点击下拉列表选择\r\n"
    "中文识别引擎。然后点击“配置麦克风”按钮，按照提示一步一步完成麦\r\n"
    "克风配置。再点击“训练配置文件”按钮，按照提示一步一步完成语音训\r\n"
    "练，训练的过程就是让你念一大段文字，这样语音识别引擎就可以更准确\r\n"
    "的识别你的声音。哦，不要忘了打开你的麦克风。";
// Start-up, with Quillon's own engines: the microphone is chosen and checked
// in this window, and the phrases it misses are taught here.
inline constexpr const char* kStartupAdviceOwnEngine =
    "最好先检查麦克风：在本窗口的“麦克风”列表里选择你用的麦克风，再在\r\n"
    "游戏列表里选择一个游戏，点击“开始测试游戏词汇”按钮，对着麦克风念\r\n"
    "几个词汇，看“麦克风音量”是否随你的声音跳动。如果不动，请换一个麦\r\n"
    "克风，或者检查麦克风是否已经打开。\r\n"
    "如果你普通话很标准，也可不必教Quillon你的发音。如果有的词汇总是识\r\n"
    "别不出来，请在已经添加的语音快捷键里右键点击它，选择“教我的发音”，按照\r\n"
    "提示把它念两遍以上，这样Quillon就可以更准确的识别你的声音。也可以\r\n"
    "用录音文件来教：quillon --teach 词汇=录音.wav。\r\n"
    "哦，不要忘了打开你的麦克风。";

// The help's paragraph on what to do before first use, by the same engines.
inline constexpr const char* kHelpBeforeUse =
    "最好进行语音训练，如果你普通话很标准，也可不必进行语音训练，但必须按照下面的提示配置麦克风。打开“控制面板”，双击“"
    "语音”图标。在“语音识别”页下，先确保“语言”下拉列表里是中文识别引擎，即“Microsoft Simplified Chinese Recgnizer "
    "v5”或者“Microsoft 中文(简体)v* "
    "识别器”，如果不是，请点击下拉列表选择中文识别引擎。然后点击“配置麦克风”按钮，按照提示一步一步完成麦克风配置。再点"
    "击“训练配置文件”按钮，按照提示一步一步完成语音训练，训练的过程就是让你念一大段文字，这样语音识别引擎就可以更准确的"
    "识别你的声音。哦，不要忘了打开你的麦克风。";
inline constexpr const char* kHelpBeforeUseOwnEngine =
    "最好先检查麦克风：在本窗口的“麦克风”列表里选择你用的麦克风，再在游戏列表里选择一个游戏，"
    "点击“开始测试游戏词汇”按钮，对着麦克风念几个词汇，看“麦克风音量”是否随你的声音跳动。"
    "如果不动，请换一个麦克风，或者检查麦克风是否已经打开，也可以在系统的声音设置里调大麦克风的音量。"
    "如果你普通话很标准，也可不必教Quillon你的发音。如果有的词汇总是识别不出来，或者总被识别成别的词汇，"
    "请在已经添加的语音快捷键里右键点击它，选择“教我的发音”，按照提示一遍一遍地念这个词汇，每念一遍窗口里都会显示听"
    "到了什么、这一遍是否留下，留下两遍就够了，这样Quillon就可以更准确的识别你的声音。教过的词汇对所有游戏都有效；"
    "不想要了，右键点击它，选择“忘记我的发音”即可。也可以不打开窗口，用录音文件来教：quillon --teach 词汇=录音.wav，"
    "可以写多个。哦，不要忘了打开你的麦克风。";

// No engine could start: the Windows speech platform's is not installed, or
// the model Quillon's own engines need is missing; the address follows.
inline constexpr const char* kNoEngine = "没有安装语音识别引擎！ 请安装微软的语音识别引擎！下载地址是：";
inline constexpr const char* kNoEngineOwnEngine =
    "没有找到可用的语音识别引擎！Quillon的中文语音模型可能丢失或损坏，请重新安装Quillon，"
    "或者下载语音模型放到程序文件夹的models文件夹里！下载地址是：";

// Once at start when the fallback recogniser runs because the Mandarin model is missing.
inline constexpr const char* kFallbackEngineInUse =
    "没有找到中文语音模型，现在使用备用识别器（准确度低）：很多命令会听不出，需要时请重念；"
    "单字词汇和读音只差声调的词汇不会执行。安装模型请看帮助。";

// Choosing a game, voice commands and test mode.
inline constexpr const char* kNoChineseEngineAtAll =
    "没有安装中文语音包！或者没有安装中文语音识别引擎！具体安装方法请点击“帮助”按钮！";
// Another recogniser than a Chinese one is shown while a Chinese one is there:
// with the Windows speech platform's engine, and with Quillon's own, whose
// recognisers are listed above the game list.
inline constexpr const char* kChooseChineseEngine =
    "必须使用中文识别引擎，请修改成中文识别引擎！请在控制面板的语音项下修改！";
inline constexpr const char* kChooseChineseEngineInList =
    "必须使用中文识别引擎，请修改成中文识别引擎！请在游戏列表上方的识别引擎列表里选择中文识别器！";
inline constexpr const char* kMustUseChineseEngine = "必须使用中文识别引擎，请修改成中文识别引擎！";
inline constexpr const char* kLoadFailed =
    "出现错误，可能是以下一种原因造成：１．无效的语音词汇文件！２．没有安装语音识别引擎！３．没有安装中文语音包！详细的"
    "下载安装方法请看帮助！";
inline constexpr const char* kChooseGame = "请选择一个游戏!";
inline constexpr const char* kActivationFailed = "没有激活语音词汇文件，可能是声音设备被其他程序使用！";

// The audio file given on the command line cannot be listened to: its path
// goes between the two, then what is wrong with it.
inline constexpr const char* kAudioFileBefore = "无法使用录音文件 ";
inline constexpr const char* kAudioFileAfter = "：";
inline constexpr const char* kAudioUnreadable = "无法打开或读取这个文件。";
inline constexpr const char* kAudioEmpty = "文件是空的。";
inline constexpr const char* kAudioNotWav = "这不是 WAV 录音文件。";
inline constexpr const char* kAudioDamaged = "WAV 文件已损坏：缺少格式块或数据块，或者格式块有误。";
inline constexpr const char* kAudioCutShort = "文件不完整，在中途被截断了。";
inline constexpr const char* kAudioEncoding = "不支持这种编码：只能读取未压缩的 PCM 和浮点录音。";
inline constexpr const char* kAudioSampleSize = "不支持这种采样位数：只能读取 8、16、24、32 位 PCM 和 32 位浮点录音。";
inline constexpr const char* kAudioRate = "不支持这种采样率：只能读取 1000 到 768000 Hz 的录音。";
inline constexpr const char* kAudioChannels = "录音没有声道。";
inline constexpr const char* kAudioTooLarge = "文件太大：最多读取 1 GB、一小时长的录音。";

// No capture device could be opened: which one was tried goes between the two.
inline constexpr const char* kNoMicrophoneBefore = "没有找到可用的麦克风（设备 ";
inline constexpr const char* kNoMicrophoneAfter =
    "）：请检查麦克风是否已连接、是否被其他程序占用，或在本窗口的“麦克风”列表或系统的声音设置里选择输入设备。";
inline constexpr const char* kTestAdvice =
    "在每个游戏第一次使用语音快捷键前，\r\n"
    "最好把对应的语音词汇念一遍，\r\n"
    "直到每个词都被正确识别，\r\n"
    "如被正确识别在文本框中会出现对应的文字，\r\n"
    "如果遇到不能识别，\r\n"
    "或者两个词的发音相近，\r\n"
    "应该修改成其他词汇。";

// What the speech engine says about the vocabulary.
inline constexpr const char* kCannotListenFor =
    "语音识别引擎读不出下面这些词汇里的一些字符（符号、表情等），请改掉这些字符：";

// Between the new phrase and the ones it sounds like, then after them. Each
// phrase is quoted; the ones it sounds like are listed with a separator, and
// more than a few are summed up.
inline constexpr const char* kSoundsAlikeAnd = "和";
inline constexpr const char* kSoundsAlike = "听起来很像，语音识别可能分不清。";
inline constexpr const char* kOpenQuote = "“";
inline constexpr const char* kCloseQuote = "”";
inline constexpr const char* kListSeparator = "、";
inline constexpr const char* kAndMore = "等";

// Phrase editing and game management.
inline constexpr const char* kEnterPhrase = "请添加你想读的中文词汇";
inline constexpr const char* kEnterAction = "请添加中文词汇对应的快捷键";
inline constexpr const char* kDuplicatePhrase = "请添加新的词汇，这个词汇已经有了！";
inline constexpr const char* kInvalidAfterEdit = "无效的语音词汇文件！用户不能直接修改语音词汇文件！";
inline constexpr const char* kSelectPhraseToDelete = "选中你要删除的语音快捷键";
inline constexpr const char* kEnterGameName = "请填入游戏名字！";
inline constexpr const char* kConfirmDeleteGame = "确实要删除这个游戏的语音词汇文件吗？";
inline constexpr const char* kNoGameForEdit = "请先在游戏列表里选择一个游戏！";
inline constexpr const char* kPhraseNotInFile = "没有在词汇文件里找到这个词汇，没有删除任何内容。";
inline constexpr const char* kGameExists = "这个游戏已经有了，已为你选中它。";

// Phrases with a number slot ("[1-9]号部队过来") and "{n}" in their action.
inline constexpr const char* kSlotMalformed =
    "发音词汇里的方括号是数字位置，要写成[A-B]：A、B是0到99的整数，A小于B，例如“[1-9]号部队过来”；"
    "一个词汇里只能有一个数字位置。";
inline constexpr const char* kNumberWithoutSlot =
    "快捷键里的{n}代表说出的数字，发音词汇里要有数字位置才能用，例如“第[1-99]张”配“Write[{n}]*Enter”。";
// Said with the first number in between, the action it becomes, and the name that is no key.
inline constexpr const char* kNumberNoKeyBefore = "说数字";
inline constexpr const char* kNumberNoKeyAction = "时，快捷键会成为“";
inline constexpr const char* kNumberNoKeyName = "”，其中“";
inline constexpr const char* kNumberNoKeyAfter = "”不是键名（数字键只有0到9）。请改快捷键或数字范围。";
// A slot phrase added: its expansions that other phrases already say, named between the two.
inline constexpr const char* kSaidBeforeIn = "里的";
inline constexpr const char* kSaidBefore = "已经是别的词汇，说这些时仍执行原来那个词汇的快捷键。";
// A plain phrase added that a slot phrase also says: the slot phrase between the two.
inline constexpr const char* kAlsoInSlot = "也在";
inline constexpr const char* kAlsoInSlotAfter = "里，说它时执行它自己的快捷键。";

// A character a new entry cannot hold goes between the two.
inline constexpr const char* kPhraseCharacterBefore = "发音词汇里不能有字符“";
inline constexpr const char* kActionCharacterBefore = "快捷键里不能有字符“";
inline constexpr const char* kCharacterAfter = "”，请去掉它再添加。";
inline constexpr const char* kUnencodableBefore = "字符“";
inline constexpr const char* kUnencodableAfter = "”不能保存到词汇文件里（文件使用GBK编码），请去掉它再添加。";

// Teaching Quillon the user's own pronunciation of a phrase.
inline constexpr const char* kTeachAction = "教我的发音";
inline constexpr const char* kForgetAction = "忘记我的发音";
inline constexpr const char* kTeachTitle = "教我的发音";
inline constexpr const char* kTeachSay = "请对着麦克风说：";
inline constexpr const char* kTeachHint = "每说一遍，说完停下就会自动结束；说两遍就够了，也可以多说几遍。";
inline constexpr const char* kTeachListening = "正在听……";
inline constexpr const char* kTeachHearing = "正在识别……";
inline constexpr const char* kTeachStopTake = "说完了";
inline constexpr const char* kTeachAnotherTake = "再说一遍";
inline constexpr const char* kTeachDone = "完成";
inline constexpr const char* kTeachCancel = "取消";
inline constexpr const char* kTeachLevel = "麦克风音量";
// One take's result: what was heard goes after the first, then whether it was kept.
inline constexpr const char* kTakeHeard = "听到：";
inline constexpr const char* kTakeHeardNothing = "听到：（什么也没有）";
inline constexpr const char* kTakeKept = "，记住了。";
inline constexpr const char* kTakeKeptBySound = "，和这个词的读音差得远，只记住了你说它的声音。";
inline constexpr const char* kTakeNoSpeech = "，没有听到说话，没有记住。请靠近麦克风再说一遍。";
inline constexpr const char* kTakeUnclear = "，听不清，没有记住。请再说一遍。";
inline constexpr const char* kTakeUnlike = "，和这个词差得太远，没有记住。是不是说了别的词？";
// The other phrase goes between the two.
inline constexpr const char* kTakeOtherPhraseBefore = "，听起来是另一个词“";
inline constexpr const char* kTakeOtherPhraseAfter = "”，没有记住。";
inline constexpr const char* kTakeTooCloseBefore = "，和“";
inline constexpr const char* kTakeTooCloseAfter = "”太接近，分不开，没有记住。";
inline constexpr const char* kTakeEngineSilent = "这遍没能识别，没有记住。";
inline constexpr const char* kTaughtTooltip = "已经教过我的发音";
// In test mode, after a phrase heard only thanks to what the user taught.
inline constexpr const char* kTaughtRecognitionMark = "（按你教的发音）";
inline constexpr const char* kCannotTeach = "当前的语音识别引擎不能学习你的发音。";
inline constexpr const char* kSelectPhraseToTeach = "请先在列表里选中一个语音快捷键。";
inline constexpr const char* kCannotTeachSlot = "带数字位置的词汇不能教发音，请把具体的说法添加成单独的词汇再教。";
inline constexpr const char* kTeachingNow = "正在教发音，请先在发音窗口里点“完成”或“取消”。";
inline constexpr const char* kTaughtVoiceDamaged =
    "保存教过的发音的文件已损坏，这次不使用它（下次保存时会把它改名留下）：";
inline constexpr const char* kTaughtVoiceNotSaved = "教的发音没能保存到文件：";
inline constexpr const char* kTeachNoMicrophone = "无法打开麦克风：";

}  // namespace quillon::text
