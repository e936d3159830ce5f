#!/usr/bin/env python3
"""Sample records of the service, for the demo: every table of schema.sql, dates relative to today.

    sample_data.py [--random-state N] [--today YYYY-MM-DD] [-o FILE] [--report-index FILE]
    sample_data.py --demo-users

Writes SQL in GBK that empties every table and fills it, for `server/dbctl sql <dir> < FILE`:
a few hundred stocks; the announcement category tree (a nested set); four months of announcements,
repurchase reports, disclosures of interests and research reports, today's and yesterday's among
them; the recent-update counts of the last two days; the update runs; two demo users with
watchlists, memos and questions. The same arguments write the same bytes.

--report-index writes one line per research report (UTF-8, tab-separated: id, title, institution,
publication date, type, rating, stock code) for the report server. --demo-users prints the demo
accounts, one "name<TAB>password" line each.
"""

import argparse
import datetime as dt
import os
import random
import sys

DAYS = 120  # how far back the records go, today included
STOCKS = 320
PER_WEEKDAY = {"ann": 60, "rep": 8, "dis": 30, "rpt": 12}
# Weekends carry a few records; the exchange publishes little then.
WEEKEND_SHARE = {5: 0.15, 6: 0.05}
# Today's records are those published before this morning's collection run at 07:05.
TODAY_SHARE = 0.3
TODAY_WINDOW = (5 * 3600 + 30 * 60, 7 * 3600)

DEMO_USERS = [
    # name, password, e-mail
    ("demo", "demo1234", "demo@vintrel.example"),
    ("demo2", "demo5678", "analyst@vintrel.example"),
]

# Codes users know by heart; the rest are drawn.
FIXED_CODES = [1, 2, 3, 5, 6, 11, 12, 16, 17, 27, 66, 388, 700, 762, 883, 939, 941, 1038, 1299, 1398,
               2318, 2388, 2628, 3328, 3988]

NAME_HEADS = ["港灣", "東方", "華南", "九龍", "維港", "新界", "珠江", "嶺南", "中環", "金鐘", "太平", "興隆", "永昌",
              "恒達", "順豐", "富盈", "嘉華", "明輝", "瑞安", "利通", "創科", "天成", "宏基", "長盛", "海悅", "翠峰",
              "粵港", "澳亞", "南洋", "北辰", "星島", "青衣", "荃灣", "沙田", "屯門", "將軍澳", "大埔", "灣仔", "銅鑼灣",
              "尖沙咀", "寶安", "龍華", "前海", "橫琴", "滙通", "許氏", "匯豐源", "金沙灣", "環亞", "泛太"]
NAME_MIDDLES = ["", "", "實業", "國際", "發展", "資源", "能源", "科技", "地產", "置業", "電訊", "醫藥", "生物", "汽車",
                "航運", "物流", "金融", "保險", "證券", "建設", "環保", "燃氣", "水務", "教育", "傳媒", "食品", "零售",
                "酒店", "礦業", "電力", "新能源", "半導體", "數碼"]
NAME_TAILS = ["控股", "集團", "有限公司", "控股有限公司", "集團有限公司", "－Ｈ股", "－Ｗ", "－Ｓ"]

SURNAMES = "陳李張黃王林劉吳楊何周鄭梁謝蔡郭曾馮許鄧蕭彭葉朱潘羅余盧韓唐麥"
GIVEN = "志明偉強文華建國家寶玉珍美芳麗榮光耀德俊傑嘉敏詠詩慧儀婉婷子豪浩然允"
HOLDER_COMPANIES = ["維港資產管理有限公司", "Harbour Crest Capital Management Limited", "太平洋環球投資基金",
                    "Victoria Peak Investments Ltd.", "O'Connor Asset Management Ltd.", "嶺南投資控股有限公司",
                    "Jade Dragon Fund L.P.", "北辰主權財富基金", "Lantau Holdings (BVI) Limited",
                    "全國退休保障基金", "Kowloon Gate Partners"]
# Reason codes of the disclosure forms; (L) long, (S) short, (P) lending pool.
REASONS = ["1101(L)", "1104(L)", "1106(L)", "1201(L)", "1201(S)", "1301(L)", "1303(L)", "1313(S)", "1401(L)",
           "1501(L)", "2101(L)", "2201(L)", "3101(L)", "3201(S)", "4101(L)", "1101(P)"]
# "3..." are directors' notices, "1" and "2" substantial shareholders'; "4" is neither.
FORM_TYPES = [("1", 30), ("2", 25), ("3A", 25), ("3B", 10), ("3C", 4), ("4", 6)]

REPURCHASE_METHODS = ["於聯交所", "於聯交所購回", "其他交易所", "場外交易", "On the Exchange"]

ORGS_LOCAL = ["恒遠證券研究部", "維港國際證券", "東瀚資本", "嶺南證券", "中環研究所", "太平金融研究", "南洋證券",
              "金鐘資本市場", "粵港證券研究", "九龍灣證券"]
ORGS_FOREIGN = ["Harbour Capital Research", "Pacific Rim Equity Research", "Kowloon Bay Securities",
                "Peak View Analytics", "Lion Rock Partners", "Star Ferry Securities", "Junk Bay Research"]
LEVELS_LOCAL = ["買入", "增持", "持有", "中性", "減持", "賣出", "推薦"]
LEVELS_FOREIGN = ["Buy", "Overweight", "Outperform", "Hold", "Neutral", "Underweight", "Sell"]
PHRASES_LOCAL = ["業績符合預期", "盈利增長強勁", "估值吸引，維持買入", "下調目標價", "上調盈利預測", "行業景氣回升",
                 "首次覆蓋", "派息率提升", "新業務拓展順利", "毛利率受壓", "現金流改善", "中期業績點評"]
PHRASES_FOREIGN = ["Earnings beat, raise TP", "Initiating coverage", "Target price cut", "Upgrade to Buy",
                   "Margin pressure ahead", "Strong pipeline", "Interim results review", "Downgrade to Neutral"]
SECTORS = ["香港地產行業", "內地銀行業", "澳門博彩業", "電訊行業", "新能源汽車行業", "半導體行業"]

CN_DIGITS = "〇一二三四五六七八九"

# The categories of the announcement filter with the sub-categories the collectors file under them.
# A leaf is (name, [title templates]); a branch is (name, [children]).
CATEGORIES = [
    ("公告及通告", [
        ("業績", [
            ("全年業績", ["截至{py_cn}年十二月三十一日止年度之全年業績公告", "{py}年度業績公佈"]),
            ("中期業績", ["截至{cy_cn}年六月三十日止六個月之中期業績公告"]),
            ("季度業績", ["第三季度業績公告", "第一季度未經審核業績"]),
            ("盈利警告", ["盈利警告", "盈利預警"]),
            ("盈利預告", ["正面盈利預告", "盈利預告"]),
        ]),
        ("股息或分派", ["宣派末期股息", "派發中期股息", "以股代息計劃", "特別股息"]),
        ("董事會會議通知", ["董事會會議召開日期", "董事會會議日期"]),
        ("更改董事或董事職能", ["董事名單與其角色和職能", "委任獨立非執行董事", "執行董事辭任", "更換公司秘書"]),
        ("股東大會", [
            ("股東大會通告", ["股東週年大會通告", "股東特別大會通告"]),
            ("股東大會結果", ["於{date_cn}舉行之股東週年大會投票表決結果"]),
        ]),
        ("須予公佈的交易", [
            ("須予披露的交易", ["須予披露交易\n收購目標公司之全部股權", "須予披露交易 出售附屬公司"]),
            ("關連交易", ["關連交易－租賃協議", "持續關連交易", "關連交易\n認購新股份"]),
            ("主要交易", ["主要交易 收購物業"]),
        ]),
        ("停牌及復牌", [
            ("停牌", ["短暫停止買賣", "暫停買賣"]),
            ("復牌", ["恢復買賣"]),
        ]),
        ("內幕消息", ["內幕消息－業務最新情況", "內幕消息 潛在交易", "內幕消息－訴訟"]),
        ("自願公告", ["自願性公告－業務更新", "自願公告 簽訂合作框架協議", "Voluntary Announcement"]),
        ("其他", ["澄清公告", "更改香港股份過戶登記分處地址", "更改公司網址"]),
    ]),
    ("通函", [
        ("交易相關通函", ["須予披露交易之通函", "關連交易之通函", "主要交易之通函"]),
        ("回購股份說明函件", ["購回股份及發行股份之一般授權及重選退任董事"]),
        ("建議選舉或重選董事", ["建議重選退任董事及股東週年大會通告"]),
        ("其他通函", ["建議修訂組織章程細則", "建議更改公司名稱"]),
    ]),
    ("上市文件", [
        ("招股章程", ["全球發售", "招股章程"]),
        ("配售", ["配售新股份", "根據一般授權配售新股份"]),
        ("介紹上市", ["以介紹方式上市"]),
    ]),
    ("财务报表", [
        ("年報", ["{py}年年報", "年報 {py}"]),
        ("中期報告", ["{cy}中期報告"]),
        ("季度報告", ["第三季度報告"]),
        ("環境、社會及管治資料", ["{py}年環境、社會及管治報告"]),
    ]),
    ("翌日披露报表", [
        ("股份購回", ["翌日披露報表 股份購回"]),
        ("已發行股份變動", ["翌日披露報表 已發行股份變動", "Next Day Disclosure Return"]),
    ]),
    ("月报表", [
        ("證券變動月報表", ["截至{prev_month_cn}止之股份發行人的證券變動月報表", "Monthly Return"]),
    ]),
    ("委任代表资格", [
        ("委任代表表格", ["股東週年大會適用之代表委任表格", "股東特別大會適用之代表委任表格"]),
    ]),
    ("公司資料報表（「創業板」）", [
        ("公司資料報表", ["公司資料報表"]),
    ]),
    ("憲章文件", [
        ("組織章程大綱及細則", ["經修訂及重列組織章程大綱及細則", "公司細則"]),
    ]),
    ("債券及結構性產品", [
        ("上市債務證券", ["發行於{cy}年到期之擔保票據", "債務證券上市"]),
        ("衍生權證", ["衍生權證推出公告"]),
        ("牛熊證", ["牛熊證推出公告", "牛熊證強制贖回事件"]),
    ]),
    ("交易所買賣基金的交易資料", [
        ("每日資產淨值", ["每日資產淨值及已發行基金單位數目"]),
        ("交易資料", ["交易資料"]),
    ]),
    ("監管者發出的公告及消息", [
        ("紀律行動", ["聯交所譴責", "紀律行動聲明"]),
        ("監管者其他消息", ["監管者發出的公告"]),
    ]),
    ("股份購回報告", [
        ("於聯交所購回", ["股份購回報告（表格）"]),
        ("於其他交易所購回", ["股份購回報告（其他交易所）"]),
    ]),
]
# Share of the announcements under each category, in the order above.
CATEGORY_WEIGHTS = [46, 6, 2, 8, 12, 9, 4, 1, 2, 4, 2, 1, 3]


def cn_number(n):
    return "".join(CN_DIGITS[int(c)] for c in str(n))


def cn_date(d):
    return f"{cn_number(d.year)}年{d.month}月{d.day}日"


def build_tags():
    """The category tree as nested sets: rows (tag_id, name, lft, rgt) in pre-order, and per root
    the leaves as (tag_id, label, templates)."""
    rows, per_root = [], []
    state = {"counter": 0, "next_id": 1}

    def node(name, content, path):
        tag_id = state["next_id"]
        state["next_id"] += 1
        state["counter"] += 1
        row = [tag_id, name, state["counter"], None]
        rows.append(row)
        leaves = []
        if content and isinstance(content[0], tuple):
            for child_name, child_content in content:
                leaves += node(child_name, child_content, path + [child_name])
        else:
            label = path[0] + (" - [" + " - ".join(path[1:]) + "]" if len(path) > 1 else "")
            leaves.append((tag_id, label, content))
        state["counter"] += 1
        row[3] = state["counter"]
        return leaves

    for name, content in CATEGORIES:
        per_root.append(node(name, content, [name]))
    return rows, per_root


def daily_counts(rnd, days, per_weekday):
    """Records per day; the last day is today, of which only the early morning has been collected."""
    counts = []
    for d in days:
        share = WEEKEND_SHARE.get(d.weekday(), 1.0) * (TODAY_SHARE if d == days[-1] else 1.0)
        mean = per_weekday * share
        counts.append(max(0, int(rnd.gauss(mean, mean * 0.15) + 0.5)))
    return counts


def times_of(rnd, day, n, first_hour, last_hour, today=None):
    base = dt.datetime(day.year, day.month, day.day)
    first, last = first_hour * 3600, last_hour * 3600
    if day == today:
        first, last = TODAY_WINDOW
    secs = sorted(rnd.randrange(first, last) for _ in range(n))
    return [base + dt.timedelta(seconds=s) for s in secs]


def business_day_before(d, n):
    while n > 0:
        d -= dt.timedelta(days=1)
        if d.weekday() < 5:
            n -= 1
    return d


class Generator:
    def __init__(self, random_state, today):
        self.rnd = random.Random(random_state)
        self.today = today
        self.yesterday = today - dt.timedelta(days=1)
        self.days = [today - dt.timedelta(days=i) for i in range(DAYS - 1, -1, -1)]
        self.tables = {}

    def table(self, name, columns):
        self.tables[name] = (columns, [])
        return self.tables[name][1]

    def run(self):
        self.make_stocks()
        self.make_tags()
        self.make_announcements()
        self.make_repurchases()
        self.make_disclosures()
        self.make_research()
        self.make_recent_update()
        self.make_update_log()
        self.make_users()
        return self.tables

    # Stocks: distinct numbers, the code as the exchange writes it, the full code in five digits.
    # Each has a price level and an activity weight (large companies publish more).
    def make_stocks(self):
        rnd = self.rnd
        drawn = [n for n in range(1, 10000) if n not in FIXED_CODES]
        numbers = sorted(FIXED_CODES + rnd.sample(drawn, STOCKS - len(FIXED_CODES)))
        names, self.stocks = set(), []
        rows = self.table("stock", ["code", "full_code", "name"])
        for n in numbers:
            while True:
                name = rnd.choice(NAME_HEADS) + rnd.choice(NAME_MIDDLES) + rnd.choice(NAME_TAILS)
                if name not in names:
                    break
            names.add(name)
            stock = {
                "code": str(n),
                "full": f"{n:05d}",
                "name": name,
                "price": round(min(480.0, rnd.lognormvariate(1.5, 1.3)) + 0.05, 2),
                "weight": 6.0 if n in FIXED_CODES else rnd.choice([0.3, 0.6, 1.0, 1.0, 1.5, 2.5]),
            }
            self.stocks.append(stock)
            rows.append((stock["code"], stock["full"], name))
        self.weights = [s["weight"] for s in self.stocks]
        # Stocks with news on each of the last two days, so that watchlists have something to show.
        self.hot = [s for s in self.stocks if s["code"] in ("5", "700", "1299", "388", "2318", "939", "16", "883")]

    def pick_stock(self):
        return self.rnd.choices(self.stocks, self.weights)[0]

    def make_tags(self):
        tag_rows, self.leaves = build_tags()
        rows = self.table("title_tag", ["tag_id", "name", "lft", "rgt"])
        rows.extend(tuple(r) for r in tag_rows)

    def title(self, template, when):
        prev_month = (when.replace(day=1) - dt.timedelta(days=1))
        return template.format(py=when.year - 1, cy=when.year, py_cn=cn_number(when.year - 1),
                               cy_cn=cn_number(when.year), date_cn=cn_date(when.date()),
                               prev_month_cn=f"{cn_number(prev_month.year)}年{prev_month.month}月")

    def make_announcements(self):
        rnd = self.rnd
        anns = self.table("announcement", ["ann_id", "release_date", "stock_code", "stock_name", "title_tag",
                                           "file_title", "file_link"])
        links = self.table("ann_title_tag", ["ann_id", "tag_id"])
        cats = list(range(len(CATEGORIES)))
        entries = []
        for day, n in zip(self.days, daily_counts(rnd, self.days, PER_WEEKDAY["ann"])):
            for when in times_of(rnd, day, n, 6, 23, self.today):
                entries.append((when, self.pick_stock()))
        for stock in self.hot:
            for day in (self.yesterday, self.today):
                for when in times_of(rnd, day, rnd.randint(1, 3), 7, 20, self.today):
                    entries.append((when, stock))
        entries.sort(key=lambda e: (e[0], e[1]["code"]))
        serial_of_day = {}
        for ann_id, (when, stock) in enumerate(entries, start=1):
            cat = rnd.choices(cats, CATEGORY_WEIGHTS)[0]
            tag_id, label, templates = rnd.choice(self.leaves[cat])
            tags, labels = [tag_id], [label]
            if rnd.random() < 0.08:  # filed under a second category too
                other_id, other_label, _ = rnd.choice(self.leaves[rnd.choices(cats, CATEGORY_WEIGHTS)[0]])
                if other_id != tag_id:
                    tags.append(other_id)
                    labels.append(other_label)
            title = self.title(rnd.choice(templates), when)
            serial = serial_of_day.get(when.date(), 0) + 1
            serial_of_day[when.date()] = serial
            ext = ".pdf" if rnd.random() < 0.88 else ".htm"
            link = f"/listedco/listconews/sehk/{when:%Y}/{when:%m%d}/{when:%Y%m%d}{serial:05d}_c{ext}"
            anns.append((ann_id, when, stock["full"], stock["name"], " / ".join(labels), title, link))
            if rnd.random() < 0.015:
                continue  # the collectors left a few untagged
            links.extend((ann_id, t) for t in tags)

    def make_repurchases(self):
        rnd = self.rnd
        rows = self.table("share_repurchase", ["stock_code", "report_date", "trade_date", "share_amount",
                                               "unit_high", "unit_low", "total_paid", "method", "share_total_ytd"])
        # A minority of companies buys back, some of them often.
        buyers = [s for s in self.stocks if rnd.random() < 0.25] + self.hot[:4]
        entries = []
        for day, n in zip(self.days, daily_counts(rnd, self.days, PER_WEEKDAY["rep"])):
            if day.weekday() >= 5:
                continue
            entries.extend((day, rnd.choice(buyers)) for _ in range(n))
        for stock in self.hot[:4]:
            entries.append((self.today if stock["code"] in ("5", "700") else self.yesterday, stock))
        entries.sort(key=lambda e: (e[0], e[1]["code"]))
        ytd = {}
        for day, stock in entries:
            trade = business_day_before(day, 1)
            amount = rnd.randrange(1, 400) * 1000 * (10 if stock["price"] < 5 else 1)
            low = round(stock["price"] * rnd.uniform(0.97, 1.01), 3)
            high = round(low * rnd.uniform(1.0, 1.03), 3)
            key = (stock["code"], trade.year)
            ytd[key] = ytd.get(key, rnd.randrange(0, 50) * 10000) + amount
            rows.append((stock["code"], day, trade, amount, f"{high:.3f}", f"{low:.3f}",
                         f"{amount * (low + high) / 2:.2f}", rnd.choice(REPURCHASE_METHODS), ytd[key]))

    def person(self):
        rnd = self.rnd
        return rnd.choice(SURNAMES) + rnd.choice(GIVEN) + rnd.choice(GIVEN)

    def make_disclosures(self):
        rnd = self.rnd
        rows = self.table("disclose_interest", ["stock_code", "update_date", "event_date", "holder_name",
                                                "disclose_reason", "share_involved", "unit_avg", "share_interested",
                                                "percent_interested", "form_type", "form_no"])
        forms, form_weights = zip(*FORM_TYPES)
        entries = []
        for day, n in zip(self.days, daily_counts(rnd, self.days, PER_WEEKDAY["dis"])):
            entries.extend((day, self.pick_stock()) for _ in range(n))
        for stock in self.hot:
            entries.append((rnd.choice([self.today, self.yesterday]), stock))
        entries.sort(key=lambda e: (e[0], e[1]["code"]))
        serial = 0
        for day, stock in entries:
            serial += 1
            form = rnd.choices(forms, form_weights)[0]
            if form.startswith("3") or rnd.random() < 0.4:
                holder = self.person()
            else:
                holder = rnd.choice(HOLDER_COMPANIES)
            reason = rnd.choice(REASONS)
            if rnd.random() < 0.1:
                reason += " " + rnd.choice(REASONS)
            involved = rnd.randrange(1, 5000) * 1000
            held = involved * rnd.randrange(2, 60)
            # Gifts and derivative interests carry no price.
            price = None if rnd.random() < 0.06 else f"{stock['price'] * rnd.uniform(0.95, 1.05):.3f}"
            # Substantial shareholders hold 5% or more; directors mostly far less.
            percent = rnd.uniform(0.01, 12.0) if form.startswith("3") else min(75.0, 5.0 + rnd.expovariate(1 / 9))
            prefix = "CS" if form in ("1", "2") else ("DA" if form.startswith("3") else "IS")
            rows.append((stock["code"], day, business_day_before(day, rnd.randrange(1, 4)), holder, reason,
                         involved, price, held, f"{percent:.2f}", form,
                         f"{prefix}{day:%Y%m%d}E{serial:05d}"))

    def make_research(self):
        rnd = self.rnd
        rows = self.table("research_report", ["report_id", "report_title", "publish_org", "publish_time",
                                              "upload_time", "report_type", "report_level", "stock_code"])
        entries = []
        for day, n in zip(self.days, daily_counts(rnd, self.days, PER_WEEKDAY["rpt"])):
            entries.extend((when, self.pick_stock()) for when in times_of(rnd, day, n, 7, 22, self.today))
        for stock in self.hot[:6]:
            entries.extend((when, stock) for when in times_of(rnd, self.today, 1, 8, 12, self.today))
        entries.sort(key=lambda e: (e[0], e[1]["code"]))
        self.reports = []
        for report_id, (when, stock) in enumerate(entries, start=1):
            foreign = rnd.random() < 0.3
            sector = rnd.random() < 0.05
            # Titles become file names: no slash, colon or other character a file system refuses.
            if foreign:
                title = (f"HK {rnd.choice(['Property', 'Banks', 'Telecom', 'Gaming'])} Sector - "
                         if sector else f"{stock['full']}.HK - ") + rnd.choice(PHRASES_FOREIGN)
                org, level = rnd.choice(ORGS_FOREIGN), rnd.choice(LEVELS_FOREIGN)
            else:
                title = (rnd.choice(SECTORS) + "月度回顧" if sector
                         else f"{stock['name']}（{stock['full']}）－{rnd.choice(PHRASES_LOCAL)}")
                org, level = rnd.choice(ORGS_LOCAL), rnd.choice(LEVELS_LOCAL)
            code = "" if sector else stock["full"]
            published = (when - dt.timedelta(days=rnd.randrange(0, 3))).date()
            kind = "外文" if foreign else "港股"
            row = (report_id, title, org, published, when, kind, level, code)
            rows.append(row)
            self.reports.append(row)

    # Per stock, the records of the last two days (yesterday and today), as the service counts them.
    def make_recent_update(self):
        by_full = {s["full"]: s["code"] for s in self.stocks}
        recent = (self.yesterday, self.today)
        counts = {}

        def add(code, kind):
            counts.setdefault(code, {"ann": 0, "srr": 0, "din": 0, "rrp": 0})[kind] += 1

        for row in self.tables["announcement"][1]:
            if row[1].date() in recent:
                add(by_full[row[2]], "ann")
        for row in self.tables["share_repurchase"][1]:
            if row[1] in recent:
                add(row[0], "srr")
        for row in self.tables["disclose_interest"][1]:
            if row[1] in recent:
                add(row[0], "din")
        for row in self.tables["research_report"][1]:
            if row[4].date() in recent and row[7]:
                add(by_full[row[7]], "rrp")
        # Stocks whose news has aged out keep their row with zero counts.
        for stock in self.rnd.sample(self.stocks, 25):
            counts.setdefault(stock["code"], {"ann": 0, "srr": 0, "din": 0, "rrp": 0})
        rows = self.table("recent_update", ["stock_code", "ann", "srr", "din", "rrp"])
        for code in sorted(counts, key=int):
            c = counts[code]
            rows.append((code, c["ann"], c["srr"], c["din"], c["rrp"]))
        self.with_news = [s for s in self.stocks if s["code"] in counts and any(counts[s["code"]].values())]

    # The collectors run four times a day; the last run so far was this morning.
    def make_update_log(self):
        rows = self.table("update_log", ["finish_date"])
        for day in self.days[-30:]:
            for hour, minute in ((7, 5), (12, 35), (17, 5), (22, 5)):
                if day == self.today and hour > 7:
                    break
                rows.append((dt.datetime(day.year, day.month, day.day, hour, minute, self.rnd.randrange(60)),))

    def make_users(self):
        rnd = self.rnd
        users = self.table("user", ["username", "password", "email", "login_time", "logout_time", "online"])
        favor = self.table("favor_stock", ["username", "stock_code"])
        blogs = self.table("my_blog", ["username", "release_date", "blog_title", "key_word", "blog_content"])
        questions = self.table("que_answer", ["submit_time", "username", "que_title", "que_content", "que_answer",
                                              "que_status", "answer_time"])
        news = [s for s in self.hot if s in self.with_news] + [s for s in self.with_news if s not in self.hot]
        quiet = [s for s in self.stocks if s not in self.with_news]
        midnight = dt.datetime(self.today.year, self.today.month, self.today.day)
        for index, (name, password, email) in enumerate(DEMO_USERS):
            last = midnight - dt.timedelta(days=2 + index, hours=-9, minutes=rnd.randrange(60))
            users.append((name, password, email, last, last + dt.timedelta(hours=3, minutes=12), 0))
            picks = news[index * 3:index * 3 + 6] + rnd.sample(quiet, 6 - 2 * index)
            for stock in sorted(picks, key=lambda s: s["full"]):
                favor.append((name, stock["full"]))
            self.memos(blogs, name, midnight, 8 if index == 0 else 3)
            self.questions(questions, name, midnight, index)

    def memos(self, rows, user, midnight, count):
        rnd = self.rnd
        topics = [("觀察名單", "自選股；業績", "本週留意業績公佈的公司：\n1. 00005 全年業績\n2. 00700 中期業績\n業績後再決定是否加倉。"),
                  ("股息記錄", "股息；收息股", "收息股的派息日期要記低，除淨日前一日要決定是否持有。"),
                  ("回購追蹤", "回購", "近月回購頻繁的公司，留意年度累計購買股份佔已發行股本的比例。"),
                  ("大股東增持", "披露權益；大股東", "留意披露原因 1101(L) 的大額增持，配合成交量看。"),
                  ("研究報告摘要", "研究報告；目標價", "兩份報告同時上調目標價，估值仍低於行業平均。"),
                  ("會議筆記", "股東大會", "股東週年大會上管理層表示下半年訂單可見度高。\n要再核對通函內的數字。"),
                  ("Q&A to check", "todo", "Ask about the placing price vs. the last close;\ncheck the circular."),
                  ("停牌公司", "停牌；內幕消息", "停牌前的內幕消息公告要細看，復牌後波動會很大。")]
        days_back = sorted(rnd.sample(range(0, 60), count), reverse=True)
        # Some memos fall within the last week, which the memo search shows by default.
        days_back[-2:] = [3, 0] if count > 2 else days_back[-2:]
        for i, back in enumerate(days_back):
            title, keys, body = topics[i % len(topics)]
            # Today's memo was written early, so that it is not in the future.
            hour = rnd.randrange(6, 7) if back == 0 else rnd.randrange(8, 23)
            when = midnight - dt.timedelta(days=back) + dt.timedelta(hours=hour, minutes=rnd.randrange(60))
            rows.append((user, when, title, keys, body))

    def questions(self, rows, user, midnight, index):
        rnd = self.rnd
        answered = [("如何導入自選股？", "請問錢龍的自選股檔案可以導入嗎？",
                     "可以。在「自選股管理」中按「钱龙港股通自選股导入」，選擇 .qlb 檔案即可。"),
                    ("研究報告下載失敗", "有一份研究報告按下載後顯示「下載未完成！」，請幫忙查看。",
                     "該報告的檔案已重新上載，請再試一次。如仍有問題請聯絡我們。"),
                    ("數據更新時間", "每天甚麼時候會更新數據？",
                     "系統每天約於 07:00、12:30、17:00 及 22:00 更新數據。")]
        opened = [("希望增加匯出功能", "可否把查詢結果匯出為 Excel 檔案？", "處理中"),
                  ("登入很慢", "最近登入時等了很久才進入主畫面。", None)]
        for i, (title, text, answer) in enumerate(answered[index:] if index else answered):
            asked = midnight - dt.timedelta(days=40 - i * 12, hours=-10, minutes=rnd.randrange(60))
            rows.append((asked, user, title, text, answer, "已答覆",
                         asked + dt.timedelta(hours=rnd.randrange(2, 30), minutes=rnd.randrange(60))))
        for i, (title, text, status) in enumerate(opened[index:]):
            asked = midnight - dt.timedelta(days=2 - i, hours=-15, minutes=rnd.randrange(60))
            rows.append((asked, user, title, text, None, status, None))


def sql_value(value):
    if value is None:
        return "NULL"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, dt.datetime):
        return value.strftime("'%Y-%m-%d %H:%M:%S'")
    if isinstance(value, dt.date):
        return value.strftime("'%Y-%m-%d'")
    text = str(value)
    for a, b in (("\\", "\\\\"), ("'", "\\'"), ("\n", "\\n"), ("\r", "\\r"), ("\0", "\\0")):
        text = text.replace(a, b)
    return "'" + text + "'"


def write_sql(tables, out):
    w = out.write
    w("-- Sample records of the service; regenerate with server/sample_data.py.\n")
    w("SET NAMES gbk;\nSET autocommit = 0;\nSET unique_checks = 0;\n")
    for name in tables:
        w(f"TRUNCATE TABLE `{name}`;\n")
    for name, (columns, rows) in tables.items():
        head = f"INSERT INTO `{name}` (" + ",".join(f"`{c}`" for c in columns) + ") VALUES\n"
        for start in range(0, len(rows), 500):
            chunk = rows[start:start + 500]
            w(head + ",\n".join("(" + ",".join(map(sql_value, r)) + ")" for r in chunk) + ";\n")
    w("COMMIT;\n")


class GbkWriter:
    def __init__(self, binary):
        self.binary = binary

    def write(self, text):
        self.binary.write(text.encode("gbk"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--random-state", type=int, default=6)
    parser.add_argument("--today", type=dt.date.fromisoformat, default=dt.date.today())
    parser.add_argument("-o", "--output", help="the SQL file (default: standard output)")
    parser.add_argument("--report-index")
    parser.add_argument("--demo-users", action="store_true")
    args = parser.parse_args()

    if args.demo_users:
        for name, password, _ in DEMO_USERS:
            print(f"{name}\t{password}")
        return

    gen = Generator(args.random_state, args.today)
    tables = gen.run()
    if args.output:
        with open(args.output + ".tmp", "wb") as f:
            write_sql(tables, GbkWriter(f))
        os.replace(args.output + ".tmp", args.output)
    else:
        write_sql(tables, GbkWriter(sys.stdout.buffer))
        sys.stdout.buffer.flush()
    if args.report_index:
        with open(args.report_index + ".tmp", "w", encoding="utf-8", newline="\n") as f:
            for report_id, title, org, published, _, kind, level, code in gen.reports:
                f.write(f"{report_id}\t{title}\t{org}\t{published.isoformat()}\t{kind}\t{level}\t{code}\n")
        os.replace(args.report_index + ".tmp", args.report_index)


if __name__ == "__main__":
    main()
