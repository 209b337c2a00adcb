#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into tests/fuzz/corpus/<target>/seed-*.

The seeds are the formats' own examples, edge cases of the behaviour,
Shift-JIS text with 0x5C trail bytes (ソ, 表, 能, 予), CR/LF mixes and huge
lines. Inputs named after a fault (without the seed- prefix) are regression
inputs kept by hand; this script leaves them alone. Run it from anywhere:
    python3 tests/fuzz/seeds.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def sj(text):
    return text.encode("cp932")


def choices(*texts, ints=b""):
    """The part after the NUL: strings as FuzzedDataProvider reads them from
    the front (each ended by a backslash and one more byte), integers from
    the back."""
    out = b"\0"
    for t in texts:
        out += t.replace(b"\\", b"\\\\") + b"\\x"
    return out + ints


def note(keyword, caret, check, body):
    return b"<k>" + keyword + b",</k><f>" + caret + b"</f><c>" + check + b"</c><n>" + body + b"</n>"


def body_record(key, size, body, time=0):
    """One record of the search's body cache file."""
    return key + b"\t" + str(size).encode() + b"\t" + str(time).encode() + b"\t" + \
        str(len(body)).encode() + b"\n" + body + b"\n"


SEEDS = {
    "index": {
        "example": sj("default/201111151234560000,12,1,0,会議\n"),
        "several-folders": sj("default/201111151234560000,12,1,0,会議\nソフト/201111151234570000,0,0,0,表計算\n"
                              "ソフト/2011111512345800000,3,x,0,能力,予定\n表/201111151234590000,0,0abc,0,a,b\n"),
        "crlf-mix": sj("a/1,0,0,0,one\r\na/2,0,1,0,two\n\r\nb/3,5,1,0,three\r\n"),
        "short-and-blank-lines": b"a/1,0\n\n\r\nabcde\nabcdef\n,,,,,,,,\na/2,0,0,0,kw\n",
        "commas-around": b",,default/1,1,1,0,memo,,\n,x/2,0,0,0,,a,,b,,\n",
        "hostile-keys": sj("../x,0,0,0,up\na/../../etc,0,0,0,out\nC:/x,0,0,0,drive\na\\..\\x/y,0,0,0,back\n"
                           "CON/x,0,0,0,dev\na/NUL.txt,0,0,0,dev2\nソ\\x/y,0,0,0,trail\nx/y.,0,0,0,dot\n"
                           "index2.txt,0,0,0,self\n/abs,0,0,0,abs\na/b/c,0,0,0,deep\n"),
        "twin-keys": b"a/1,0,0,0,first\na/1,0,1,0,second\n",
        "no-final-lf": sj("表/1,0,0,0,表示"),
        "huge-line": b"a/1,0,0,0," + sj("予") * 20000 + b"\n",
        "with-operations": sj("default/1,0,0,0,会議\nソフト/2,0,1,0,表\n") +
        choices(b"x", b"body", b"kw", sj("表"), ints=bytes(range(1, 60))),
    },
    "rebuild": {
        "example": note(sj("会議"), b"12", b"1", sj("議題\r\n予算")),
        "plain-text": sj("ただのテキスト\r\n二行目"),
        "no-keyword": b"<f>3</f><n>body</n>",
        "body-without-end": b"<k>k,</k><n>open body",
        "body-holds-end-mark": b"<k>k,</k><f>0</f><c>0</c><n>a</n>b</n>",
        "r-element": b"<k>k,</k><f>1</f><c>1</c><r>7</r><n>x</n>",
        "tags-in-body": b"<k>k,</k><n><k>other</k><r>9,9</r></n>",
        "commas-in-fields": b"<k>,,a,b,,</k><f>1,2</f><c>1,0</c><n>x</n>",
        "line-breaks-in-keyword": b"<k>a\r\nb\nc,</k><n>x</n>",
        "huge-body": note(b"big", b"0", b"0", sj("表") * 30000),
        "japanese-folders": note(sj("ソフト"), b"0", b"0", sj("能")) +
        choices(sj("ソフト"), sj("201111151234560000"), sj("表"), sj("予定"), ints=b"\x02\x02\x02"),
        "hostile-names": note(b"kw", b"1", b"0", b"b") +
        choices(b"a,b", b"c", b"CON", b"x.", b"a\\b", b"nul.txt", b"x\ry", ints=b"\x03\x03\x03\x03"),
    },
    "body_cache": {
        "example": b"Tavolin bodies 2\tPC1\n" + body_record(sj("default/201111151234560000"), 40, sj("議題\r\n予算")),
        "japanese-folders": b"Tavolin bodies 2\tPC1\n" + body_record(sj("ソフト/1"), 12, sj("表\t能\n")) +
        body_record(sj("表/2"), 7, b"") + choices(b"x", ints=b"\x01\x01\x01\x01"),
        "cut-short": b"Tavolin bodies 2\tPC1\n" + body_record(b"a/1", 3, b"abc")[:-2],
        "length-past-end": b"Tavolin bodies 2\tPC1\na/1\t3\t0\t99\nabc\n",
        "hostile-keys": b"Tavolin bodies 2\tPC1\n" + body_record(b"../x", 1, b"x") + body_record(b"a/CON", 1, b"y") +
        body_record(b"a,b/1", 1, b"z") + body_record(b"a/ok", 1, b"w"),
        "huge-body": b"Tavolin bodies 2\tPC1\n" + body_record(b"big/1", 60000, sj("表") * 30000),
        "not-a-cache": sj("default/201111151234560000,12,1,0,会議\n"),
    },
    "ini": {
        "defaults": sj("[ini]\r\ndefdir=default\r\nwarp=☆,★,・\r\nworklog=worklog\r\ncurrent=data\r\n"),
        "full": sj("[ini]\r\nctrl_T=2\r\ndata=会議\r\ndefdir=ソフト\r\nwarp=☆,★,・\r\nworklog=作業\r\n"
                   "current=data2\r\nsideSize2=300\r\nEndTime=2011/11/14 18:02:11\r\n[etc]\r\nbackup=20111114\r\n"),
        "empty-values": b"[ini]\ndefdir=\nwarp=  \ncurrent=\n",
        "lf-and-crlf": b"[ini]\ndefdir=a\r\n[etc]\nbackup=201111141234\n[ini]\r\nworklog=w\n",
        "quotes-comments": b"; comment\n[ini]\ndata=\"quoted\"\nworklog='w'\n;defdir=x\n  defdir  =  spaced  \n",
        "broken-sections": b"[ini\ndefdir=x\n[]\n[ ini ]\ncurrent=../x\n[etc]]\nbackup=1\n",
        "long-value": b"[ini]\ndata=" + b"a" * 254 + sj("表") + sj("ソ") * 100 + b"\n",
        "numbers": b"[ini]\nctrl_T=-12abc\nsideSize2=99999999999999999999\n",
        "with-box-text": sj("[ini]\ndefdir=表\n") + choices(b"ini", b"warp", sj("☆,★"), sj("会議") * 200),
    },
    "side_lists": {
        "recent": sj("".join("キーワード%d\n" % i for i in range(20))),
        "bookmark": sj("表示,データ\nソフト,予定,能力\n,empty\n"),
        "hanko": sj("済\r\n確認\r\n\r\n予定\n"),
        "dir": sj("ソフト\n表\ndefault\n"),
        "cr-mix": b"a\r\r\nb\rc\n\r\n\r",
        "no-final-lf": sj("最後"),
        "huge-line": sj("表") * 40000 + b"\n",
    },
    "handoff": {
        "keyword": sj("会議"),
        "quoted-path": sj("\"C:\\Program Files\\ソフト\\x.exe\" 表"),
        "long-ascii": b"x" * 300,
        "long-japanese": sj("表") * 200,
        "lead-byte-at-255": b"a" + sj("ソ") * 150,
    },
    "commands": {
        "cal": b"memo\r\n!cal\r\nrest" + choices(ints=b"\x08\x00\x00\x00\x00\x00\x00\x00"),
        "variables": b"?d 2011\r\n?m 11\r\n!cal ?d??m?" + choices(ints=b"\x00\x01" + b"\xff" * 16),
        "program-files": b"C:\\Program Files\\x.exe",
        "sort-same": b"!sort\r\nb\r\na\r\n\r\nc\r\n!same\r\na\r\n!desc",
        "width-kana": sj("!zen\r\nabc 123 ｶﾞ\r\n!han\r\n!kata\r\nひらがな\r\n!kana"),
        "seq-size-path": b"!seq C:\\memo\\a.txt\r\n\"!seq\" C:\\memo\\a.txt\r\n!size D\r\n!size\r\n!path",
        "clip-go-end": sj("!clip a b\r\n!clip\r\n!go 表\r\n!go\r\n!end\r\nafter"),
        "open-quote": b"\"never closed\r\n\"\" empty word\r\n  !sort  ",
        "self-reference": b"?a x?a?x\r\n" * 12 + b"!clip ?a?",
        "japanese-lines": sj("ソフト 表\r\n?表 能\r\n!go ?表?\r\n予定"),
        "huge-line": b"!clip " + sj("表") * 20000,
    },
    "variables": {
        "names": b"?a? and ?b? and ??",
        "plain": sj("表?ソ?能"),
        "with-definitions": b"x?a?y?b?z" + choices(ints=b"\x03" + b"\x01\x02" * 20),
    },
    "width_kana": {
        "ascii": b"abc 123 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
        "half-kana": sj("ｱｲｳｴｵｶﾞｷﾞﾊﾟﾋﾟｳﾞｰﾞﾟ"),
        "hiragana": sj("ぁあぃいゝゞをん"),
        "katakana": sj("ァアヴヵヶヽヾンー"),
        "full-width": sj("ＡＢＣ　１２３＼￥"),
        "sort-example": b"b\r\na\r\n\r\nc",
        "same-example": b"a\r\nb\r\na\r\n\r\nb\r\n\r\n",
        "trail-5c": sj("ソ\\表\\能\\予\r\n"),
    },
}


def main():
    for target, seeds in SEEDS.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name in os.listdir(folder):
            if name.startswith("seed-"):
                os.remove(os.path.join(folder, name))
        for name, data in seeds.items():
            with open(os.path.join(folder, "seed-" + name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
