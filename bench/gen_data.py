#!/usr/bin/env python3
"""Writes the service's records at their real size as GBK tab-separated files for LOAD DATA INFILE.

    gen_data.py OUT_DIR [--today YYYY-MM-DD] [--random-state N] [--scale F]

Ten years of records ending at --today (default: the current date): about 2,000,000 announcements filed
under the category box's categories and their sub-categories (a nested-set tree; 2% untagged, about a tenth
under a second category too), 1,000,000 disclosures of interests, 200,000 repurchase reports, 200,000
research reports and 3,000 stocks; --scale multiplies every count but the stocks'. The same arguments write the
same files. OUT_DIR/meta.txt records the arguments and the row counts; it is written last, so a folder
without it is incomplete.

Files use LOAD DATA's defaults (tab between fields, newline after a row, backslash escapes, \\N for
NULL); they are read with CHARACTER SET gbk, so a character whose second GBK byte is a backslash stays
one character.
"""

import argparse
import datetime as dt
import os
import random

ANNOUNCEMENTS = 2_000_000
DISCLOSURES = 1_000_000
REPURCHASES = 200_000
RESEARCH = 200_000
STOCKS = 3_000
YEARS = 10

# The category box's items (all but "所有") with the sub-categories the collectors file under them.
CATEGORIES = [
    ("公告及通告", ["業績公告", "股息或分派", "須予披露的交易", "關連交易", "董事會會議通知", "更改董事或董事職能",
                ("股東大會", ["股東大會通告", "股東大會結果"]), "停牌", "復牌", "內幕消息", "其他"]),
    ("通函", ["須予披露的交易", "關連交易", "回購股份說明函件", "建議選舉或重選董事", "其他"]),
    ("上市文件", ["招股章程", "發售以供認購", "配售", "其他"]),
    ("财务报表", ["年報", "中期報告", "季度報告", "環境、社會及管治資料"]),
    ("翌日披露报表", ["股份購回", "已發行股份變動", "其他"]),
    ("月报表", ["股份發行人的證券變動月報表"]),
    ("委任代表资格", ["委任代表表格"]),
    ("公司資料報表（「創業板」）", ["公司資料報表"]),
    ("憲章文件", ["組織章程大綱及細則", "公司細則"]),
    ("債券及結構性產品", ["上市債券", "衍生權證", "牛熊證", "其他"]),
    ("交易所買賣基金的交易資料", ["每日資產淨值", "交易資料"]),
    ("監管者發出的公告及消息", ["紀律行動", "其他"]),
    ("股份購回報告", ["股份購回報告"]),
]
# Share of the announcements filed under each category, in the order above.
CATEGORY_WEIGHTS = [45, 6, 3, 8, 12, 10, 4, 1, 2, 3, 2, 1, 3]

NAME_HEADS = ["長江", "中電", "香港", "中華", "九龍", "滙豐", "電能", "恒生", "新世界", "太古", "東亞", "信和",
              "恒基", "新鴻基", "中國", "華潤", "招商", "中信", "光大", "國泰", "金沙", "銀河", "碧桂園",
              "萬科", "騰訊", "聯想", "比亞迪", "吉利", "海爾", "美團", "小米", "阿里", "百度", "網易", "京東",
              "華能", "大唐", "國電", "中石油", "中石化", "中海", "中遠", "粵海", "越秀", "北控", "上實",
              "深圳", "天津", "重慶", "廣州", "福建", "浙江", "江蘇", "山東", "四川", "安徽", "遼寧",
              "環球", "亞洲", "太平洋"]
NAME_MIDDLES = ["", "實業", "國際", "發展", "資源", "能源", "科技", "地產", "置業", "電訊", "醫藥", "生物",
                "汽車", "航運", "物流", "金融", "保險", "證券", "建設", "環保", "燃氣", "水務", "教育",
                "傳媒", "食品", "零售", "酒店", "礦業", "電力", "新能源"]
NAME_TAILS = ["控股", "集團", "有限公司", "股份", "控股有限公司", "集團有限公司", "－Ｈ股", "－Ｓ"]

SURNAMES = "陳李張黃王林劉吳楊何周鄭梁謝蔡郭曾馮許鄧蕭彭葉朱潘羅余盧韓唐"
GIVEN = "志明偉強文華建國家寶玉珍美芳麗國榮光耀德明俊傑嘉敏詠詩慧儀婉婷子豪浩然"
FUNDS = ["BlackRock, Inc.", "JPMorgan Chase & Co.", "The Capital Group Companies, Inc.", "UBS Group AG",
         "Citigroup Inc.", "Morgan Stanley", "全國社會保障基金理事會", "中央匯金投資有限責任公司",
         "Temasek Holdings (Private) Limited", "GIC Private Limited", "Norges Bank"]
REASONS = ["1101(L)", "1201(L)", "1104(L)", "1301(L)", "1303(L)", "1401(L)", "1101(S)", "1201(S)",
           "2101(L)", "2201(L)", "3101(L)", "4101(L)"]
FORM_TYPES = [("1", 35), ("2", 25), ("3A", 20), ("3B", 12), ("3C", 3), ("4", 5)]

EVENTS = ["截至十二月三十一日止年度之末期業績公告", "中期業績公告", "董事會會議召開日期", "股東週年大會通告",
          "建議派發末期股息", "須予披露交易", "關連交易－租賃協議", "更換公司秘書", "委任獨立非執行董事",
          "內幕消息－業務最新情況", "自願性公告", "盈利警告", "暫停買賣", "恢復買賣", "有關收購事項之補充公告",
          "證券變動月報表", "翌日披露報表", "2023 Annual Results Announcement", "Notice of AGM",
          "Monthly Return", "Next Day Disclosure Return", "Voluntary Announcement"]
ORGS = ["中銀國際", "招銀國際", "海通國際", "國泰君安國際", "中金公司", "華泰金融", "申萬宏源", "廣發證券",
        "中信里昂", "交銀國際", "建銀國際", "工銀國際", "農銀國際", "第一上海", "耀才證券", "輝立證券",
        "大華繼顯", "信達國際", "光大證券國際", "安信國際", "Morgan Stanley", "Goldman Sachs", "J.P. Morgan",
        "UBS", "Citi", "HSBC Global Research", "BofA Securities", "Credit Suisse", "Nomura", "Macquarie",
        "CLSA", "Daiwa", "Jefferies", "Bernstein", "Barclays", "Deutsche Bank", "BNP Paribas", "Mizuho",
        "DBS Vickers", "Haitong International"]
LEVELS = ["買入", "增持", "持有", "中性", "減持", "賣出", "Buy", "Outperform", "Neutral", "Underperform"]
REPORT_PHRASES = ["業績符合預期", "盈利增長強勁", "估值吸引", "維持買入評級", "下調目標價", "上調盈利預測",
                  "行業景氣回升", "首次覆蓋", "Initiating coverage", "Earnings beat", "Target price cut",
                  "Upgrade to Buy", "Margin pressure", "Strong pipeline"]
METHODS = ["於聯交所購回", "On the Exchange", "場外購回", "Off-market"]


def esc(value):
    """One field in LOAD DATA's default form."""
    if value is None:
        return "\\N"
    s = str(value)
    return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


class Writer:
    def __init__(self, path):
        self.file = open(path, "w", encoding="gbk", newline="\n")
        self.rows = 0

    def row(self, *fields):
        self.file.write("\t".join(map(esc, fields)) + "\n")
        self.rows += 1

    def close(self):
        self.file.close()


def days_of(today):
    start = today.replace(year=today.year - YEARS) + dt.timedelta(days=1)
    return [start + dt.timedelta(days=i) for i in range((today - start).days + 1)]


def per_day(days, total):
    """How many records fall on each day: weekdays carry most, weekends a few; sums to total."""
    weights = [1.0 if d.weekday() < 5 else (0.25 if d.weekday() == 5 else 0.1) for d in days]
    scale = total / sum(weights)
    counts, carry = [], 0.0
    for w in weights:
        carry += w * scale
        n = int(carry)
        carry -= n
        counts.append(n)
    counts[-1] += total - sum(counts)
    return counts


def day_times(rnd, day, n, first_hour=7, last_hour=23):
    lo, hi = first_hour * 3600, last_hour * 3600
    secs = sorted(rnd.randrange(lo, hi) for _ in range(n))
    base = dt.datetime(day.year, day.month, day.day)
    return [base + dt.timedelta(seconds=s) for s in secs]


def build_tags():
    """The category tree as nested sets: rows (tag_id, name, lft, rgt), and per category the leaves
    (tag_id, label) that announcements are filed under."""
    rows, leaves = [], []
    counter = [0]
    next_id = [1]

    def node(name, children, root_name):
        tag_id = next_id[0]
        next_id[0] += 1
        counter[0] += 1
        lft = counter[0]
        row = [tag_id, name, lft, None]
        rows.append(row)
        mine = []
        for child in children:
            if isinstance(child, tuple):
                mine += node(child[0], child[1], root_name)
            else:
                mine += node(child, [], root_name)
        counter[0] += 1
        row[3] = counter[0]
        if not children:
            mine.append((tag_id, f"{root_name} - [{name}]" if name != root_name else name))
        return mine

    for name, children in CATEGORIES:
        leaves.append(node(name, children, name))
    return rows, leaves


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out_dir")
    parser.add_argument("--today", type=dt.date.fromisoformat, default=dt.date.today())
    parser.add_argument("--random-state", type=int, default=20240315)
    parser.add_argument("--scale", type=float, default=1.0)
    args = parser.parse_args()
    rnd = random.Random(args.random_state)
    os.makedirs(args.out_dir, exist_ok=True)
    meta_path = os.path.join(args.out_dir, "meta.txt")
    if os.path.exists(meta_path):
        os.remove(meta_path)
    out = lambda name: Writer(os.path.join(args.out_dir, name + ".tsv"))
    days = days_of(args.today)
    counts = {}

    # Stocks: distinct numbers, the code as the exchange writes it, the full code in five digits.
    numbers = sorted(rnd.sample(range(1, 10000), STOCKS))
    names = set()
    stocks = []
    w = out("stock")
    for n in numbers:
        while True:
            name = rnd.choice(NAME_HEADS) + rnd.choice(NAME_MIDDLES) + rnd.choice(NAME_TAILS)
            if name not in names:
                break
        names.add(name)
        stocks.append((str(n), f"{n:05d}", name))
        w.row(str(n), f"{n:05d}", name)
    w.close()
    counts["stock"] = w.rows

    tag_rows, leaves = build_tags()
    w = out("title_tag")
    for row in tag_rows:
        w.row(*row)
    w.close()
    counts["title_tag"] = w.rows

    # Announcements, in order of release (ids grow with time as the collectors add them); a few
    # untagged, some filed under a second category too.
    total = int(ANNOUNCEMENTS * args.scale)
    wa, wt = out("announcement"), out("ann_title_tag")
    ann_id = 0
    cat_index = list(range(len(CATEGORIES)))
    for day, n in zip(days, per_day(days, total)):
        for when in day_times(rnd, day, n):
            ann_id += 1
            code, full, name = rnd.choice(stocks)
            cat = rnd.choices(cat_index, CATEGORY_WEIGHTS)[0]
            tag_id, label = rnd.choice(leaves[cat])
            title = name + rnd.choice(EVENTS)
            if rnd.random() < 0.01:
                title += "\n" + rnd.choice(EVENTS)
            ext = ".pdf" if rnd.random() < 0.9 else ".htm"
            link = f"/listedco/listconews/sehk/{when:%Y/%m%d}/{when:%Y%m%d}{ann_id % 100000:05d}{ext}"
            wa.row(ann_id, when.strftime("%Y-%m-%d %H:%M:%S"), full, name, label, title, link)
            r = rnd.random()
            if r < 0.02:
                continue  # untagged
            wt.row(ann_id, tag_id)
            if r > 0.90:
                other = rnd.choices(cat_index, CATEGORY_WEIGHTS)[0]
                other_tag, _ = rnd.choice(leaves[other])
                if other_tag != tag_id:
                    wt.row(ann_id, other_tag)
    wa.close()
    wt.close()
    counts["announcement"], counts["ann_title_tag"] = wa.rows, wt.rows

    total = int(REPURCHASES * args.scale)
    w = out("share_repurchase")
    # Some companies buy back often, most never.
    buyers = rnd.sample(stocks, 400)
    for day, n in zip(days, per_day(days, total)):
        for _ in range(n):
            code = rnd.choice(buyers)[0]
            amount = rnd.randrange(1, 500) * 1000
            low = round(rnd.uniform(0.1, 500.0), 3)
            high = round(low * rnd.uniform(1.0, 1.05), 3)
            w.row(code, day.isoformat(), (day - dt.timedelta(days=rnd.randrange(1, 4))).isoformat(), amount,
                  f"{high:.3f}", f"{low:.3f}", f"{amount * (low + high) / 2:.2f}", rnd.choice(METHODS),
                  amount * rnd.randrange(1, 40))
    w.close()
    counts["share_repurchase"] = w.rows

    total = int(DISCLOSURES * args.scale)
    w = out("disclose_interest")
    forms, form_weights = zip(*FORM_TYPES)
    serial = 0
    for day, n in zip(days, per_day(days, total)):
        for _ in range(n):
            serial += 1
            code = rnd.choice(stocks)[0]
            form = rnd.choices(forms, form_weights)[0]
            if form.startswith("3") or rnd.random() < 0.5:
                holder = rnd.choice(SURNAMES) + rnd.choice(GIVEN) + rnd.choice(GIVEN)
            else:
                holder = rnd.choice(FUNDS)
            involved = rnd.randrange(1, 10000) * 1000
            held = involved * rnd.randrange(1, 50)
            w.row(code, day.isoformat(), (day - dt.timedelta(days=rnd.randrange(0, 4))).isoformat(), holder,
                  rnd.choice(REASONS), involved, f"{rnd.uniform(0.1, 400.0):.3f}", held,
                  f"{rnd.uniform(0.01, 75.0):.2f}", form, f"CS{day:%Y%m%d}E{serial % 100000:05d}")
    w.close()
    counts["disclose_interest"] = w.rows

    total = int(RESEARCH * args.scale)
    w = out("research_report")
    report_id = 0
    for day, n in zip(days, per_day(days, total)):
        for when in day_times(rnd, day, n, 6, 23):
            report_id += 1
            _, full, name = rnd.choice(stocks)
            foreign = rnd.random() < 0.3
            w.row(report_id, f"{name}({full}) {rnd.choice(REPORT_PHRASES)}", rnd.choice(ORGS),
                  (when.date() - dt.timedelta(days=rnd.randrange(0, 3))).isoformat(),
                  when.strftime("%Y-%m-%d %H:%M:%S"), "外文" if foreign else "港股", rnd.choice(LEVELS), full)
    w.close()
    counts["research_report"] = w.rows

    with open(meta_path + ".new", "w", encoding="ascii") as f:
        f.write(f"today {args.today.isoformat()}\n")
        f.write(f"random_state {args.random_state}\n")
        f.write(f"scale {args.scale}\n")
        for table, rows in counts.items():
            f.write(f"rows {table} {rows}\n")
    os.replace(meta_path + ".new", meta_path)


if __name__ == "__main__":
    main()
