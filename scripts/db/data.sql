-- Subdivisions (ZN: no declared character set; ZNS: WIN1251), chief engineers.
INSERT INTO ZN VALUES (1, 'Отдел главного конструктора');
INSERT INTO ZN VALUES (2, 'Планово-диспетчерский отдел');
INSERT INTO ZN VALUES (3, 'Цех № 1 механообработки');
INSERT INTO ZN VALUES (4, 'Цех № 4 сборки и испытаний');
INSERT INTO ZN VALUES (5, 'Отдел технического контроля');
INSERT INTO ZN VALUES (6, 'Служба главного технолога');
INSERT INTO ZN VALUES (7, 'Отдел материально-технического снабжения');
INSERT INTO ZN VALUES (8, 'Лаборатория неразрушающего контроля');
INSERT INTO ZN VALUES (9, 'Конструкторское бюро «Ёлка»');

INSERT INTO ZNS VALUES (101, 'Сектор расчётов прочности');
INSERT INTO ZNS VALUES (102, 'Сектор электрооборудования');
INSERT INTO ZNS VALUES (103, 'Бюро нормоконтроля');
INSERT INTO ZNS VALUES (104, 'Группа подготовки производства');
INSERT INTO ZNS VALUES (105, 'Участок сварки корпусов');

INSERT INTO GIP VALUES (1, 'Кузнецов Андрей Петрович');
INSERT INTO GIP VALUES (3, 'Белова Ирина Сергеевна');
INSERT INTO GIP VALUES (7, 'Шевчук Юрий Григорьевич');

-- Rights rows. SIDOROV has a login and the role but no row here.
INSERT INTO ZAM (USERNAME, USER_ROLE, KEYGIP, KEYZN, ATABNMB, POLDEN, SFN, STRANA,
  Z1, Z2, Z3, Z4, Z5, Z6, Z7, Z8, Z9, Z10, Z11, Z12,
  Z13, Z14, Z15, Z16, Z17, Z18, Z19, Z20, Z21, Z22, Z23, Z24, Z25, Z26, Z27, Z28, Z29, Z30,
  Z31, Z32, Z33, Z34, Z35, Z36, Z37, Z38, Z39, Z40, Z42, Z43, Z44, Z48, Z50, Z51,
  Z45, Z46, Z47, Z49, DATETSH,
  A0, A1, A2, A3, A4, A5, A6, A7, A8, A9, A19, A20, A21, A22, A24, FONTNAME)
VALUES ('IVANOV', 'Плановик', 3, 2, 10452, 13, 70000, 1,
  1.5, 2.25, -3.5, 1000000.125, 5, 6, 7, -8, 'Иванов И.И.', 'Главный специалист', 'без ограничений', 'Ёжик в тумане',
  1, 1, 0, 1, 0, 1, 1, 123456, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1,
  1, 0, 1, 1, 1, 0, 1, 1, 0, 0, 42, 1, 0, 1, 0, 1,
  0.5, 12.75, 99.0, '14-MAR-2023 10:30:00', '01-FEB-2024 08:15:30',
  1, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 1, 0, 1, 1, '  Arial  ');

INSERT INTO ZAM (USERNAME, USER_ROLE, KEYGIP, KEYZN, ATABNMB, POLDEN, SFN, STRANA,
  Z23, Z40, Z9, Z10, FONTNAME)
VALUES ('PETROVA', 'Диспетчер', 12, 0, 20871, 8, 12, 2,
  1, 7, 'Петрова А.В.', 'Ведущий инженер', 'Times New Roman');
COMMIT;
