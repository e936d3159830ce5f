-- The service's database as the client sees it: every table and column its statements and grids name.
-- Loaded into an empty database (dbctl does that for the private servers of the demo and the tests).
-- Text is GBK throughout, as the client reads and writes it. Columns are nullable unless they are keys:
-- the collectors leave fields empty, and a NULL must stay distinguishable from an empty text.

-- Accounts. The password compares exactly (case and trailing blanks count) since the login matches it
-- by equality in its statement.
CREATE TABLE `user` (
    `username`    VARCHAR(64)  NOT NULL,
    `password`    VARCHAR(64)  COLLATE gbk_nopad_bin NOT NULL DEFAULT '',
    `email`       VARCHAR(128) NULL,
    `login_time`  DATETIME     NULL,
    `logout_time` DATETIME     NULL,
    `online`      TINYINT      NOT NULL DEFAULT 0,
    PRIMARY KEY (`username`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Listed companies: `code` is the join key of the per-stock tables keyed by code, `full_code` the
-- five-character form users see and the watchlist stores.
CREATE TABLE `stock` (
    `code`      VARCHAR(10)  NOT NULL,
    `full_code` VARCHAR(10)  NOT NULL,
    `name`      VARCHAR(128) NULL,
    PRIMARY KEY (`code`),
    KEY `ix_stock_full_code` (`full_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Announcements. stock_code holds the full code as released, which is not always five characters.
CREATE TABLE `announcement` (
    `ann_id`       INT          NOT NULL AUTO_INCREMENT,
    `release_date` DATETIME     NULL,
    `stock_code`   VARCHAR(20)  NULL,
    `stock_name`   VARCHAR(200) NULL,
    `title_tag`    VARCHAR(255) NULL,
    `file_title`   TEXT         NULL,
    `file_link`    VARCHAR(500) NULL,
    PRIMARY KEY (`ann_id`),
    -- Serves the query tab's date range and its newest-first order; with code and name in it the count
    -- reads no row.
    KEY `ix_ann_release_date` (`release_date`, `stock_code`, `stock_name`),
    KEY `ix_ann_stock_code` (`stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Announcement categories as a nested set: a tag lies under a parent when its lft is within the
-- parent's lft..rgt.
CREATE TABLE `title_tag` (
    `tag_id` INT          NOT NULL AUTO_INCREMENT,
    `name`   VARCHAR(100) NULL,
    `lft`    INT          NOT NULL DEFAULT 0,
    `rgt`    INT          NOT NULL DEFAULT 0,
    PRIMARY KEY (`tag_id`),
    KEY `ix_tag_name` (`name`),
    KEY `ix_tag_lft` (`lft`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- The tags each announcement carries, one row per pair; looked up from both sides.
CREATE TABLE `ann_title_tag` (
    `ann_id` INT NOT NULL,
    `tag_id` INT NOT NULL,
    PRIMARY KEY (`ann_id`, `tag_id`),
    KEY `ix_att_tag_ann` (`tag_id`, `ann_id`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Share repurchase reports, keyed to stock.code. Share counts exceed 32 bits; prices have up to three
-- decimals.
CREATE TABLE `share_repurchase` (
    `stock_code`      VARCHAR(10)   NULL,
    `report_date`     DATE          NULL,
    `trade_date`      DATE          NULL,
    `share_amount`    BIGINT        NULL,
    `unit_high`       DECIMAL(12,3) NULL,
    `unit_low`        DECIMAL(12,3) NULL,
    `total_paid`      DECIMAL(18,2) NULL,
    `method`          VARCHAR(100)  NULL,
    `share_total_ytd` BIGINT        NULL,
    -- Date range and order of the query tab; with the code in it the count reads no row.
    KEY `ix_rep_report_date` (`report_date`, `stock_code`),
    KEY `ix_rep_stock_code` (`stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Disclosures of interests, keyed to stock.code. form_type "3..." marks directors' notices, "1" and
-- "2" substantial shareholders' notices.
CREATE TABLE `disclose_interest` (
    `stock_code`         VARCHAR(10)   NULL,
    `update_date`        DATE          NULL,
    `event_date`         DATE          NULL,
    `holder_name`        VARCHAR(200)  NULL,
    `disclose_reason`    VARCHAR(255)  NULL,
    `share_involved`     BIGINT        NULL,
    `unit_avg`           DECIMAL(12,3) NULL,
    `share_interested`   BIGINT        NULL,
    `percent_interested` DECIMAL(7,2)  NULL,
    `form_type`          VARCHAR(10)   NULL,
    `form_no`            VARCHAR(50)   NULL,
    -- Date range and order of the query tab; with the columns of its conditions in it the count reads
    -- no row.
    KEY `ix_dis_update_date` (`update_date`, `stock_code`, `form_type`, `holder_name`, `disclose_reason`),
    KEY `ix_dis_stock_code` (`stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Research reports; stock_code is the full code of the related stock.
CREATE TABLE `research_report` (
    `report_id`    INT          NOT NULL AUTO_INCREMENT,
    `report_title` VARCHAR(255) NULL,
    `publish_org`  VARCHAR(128) NULL,
    `publish_time` DATE         NULL,
    `upload_time`  DATETIME     NULL,
    `report_type`  VARCHAR(20)  NULL,
    `report_level` VARCHAR(50)  NULL,
    `stock_code`   VARCHAR(20)  NULL,
    PRIMARY KEY (`report_id`),
    -- Date range and order of the query tab; with the columns of its conditions in it the count reads
    -- no row.
    KEY `ix_rpt_upload_time` (`upload_time`, `report_type`, `stock_code`, `publish_org`, `report_title`),
    KEY `ix_rpt_stock_code` (`stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Each user's watchlist of full codes. Not unique: the client checks for an existing row itself.
CREATE TABLE `favor_stock` (
    `username`   VARCHAR(64) NOT NULL,
    `stock_code` VARCHAR(20) NOT NULL,
    KEY `ix_favor_user_code` (`username`, `stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Per stock (by code), how many records of each kind arrived recently; maintained by the service.
CREATE TABLE `recent_update` (
    `stock_code` VARCHAR(10) NOT NULL,
    `ann`        INT         NOT NULL DEFAULT 0,
    `srr`        INT         NOT NULL DEFAULT 0,
    `din`        INT         NOT NULL DEFAULT 0,
    `rrp`        INT         NOT NULL DEFAULT 0,
    PRIMARY KEY (`stock_code`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- The service's data update runs; the latest finish_date is the time of the last server update.
CREATE TABLE `update_log` (
    `finish_date` DATETIME NULL,
    KEY `ix_update_finish` (`finish_date`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Memos. blog_id identifies a listed row so that it can be written back or deleted.
CREATE TABLE `my_blog` (
    `blog_id`      INT          NOT NULL AUTO_INCREMENT,
    `username`     VARCHAR(64)  NOT NULL,
    `release_date` DATETIME     NULL,
    `blog_title`   VARCHAR(255) NULL,
    `key_word`     VARCHAR(255) NULL,
    `blog_content` MEDIUMTEXT   NULL,
    PRIMARY KEY (`blog_id`),
    KEY `ix_blog_user_date` (`username`, `release_date`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;

-- Questions to the staff; answer, status and answer time are written by the staff.
CREATE TABLE `que_answer` (
    `que_id`      INT          NOT NULL AUTO_INCREMENT,
    `submit_time` DATETIME     NULL,
    `username`    VARCHAR(64)  NOT NULL,
    `que_title`   VARCHAR(255) NULL,
    `que_content` TEXT         NULL,
    `que_answer`  TEXT         NULL,
    `que_status`  VARCHAR(50)  NULL,
    `answer_time` DATETIME     NULL,
    PRIMARY KEY (`que_id`),
    KEY `ix_que_user_time` (`username`, `submit_time`)
) ENGINE=InnoDB DEFAULT CHARSET=gbk;
