¥Household Data
Baseline	Item	Kcal per kg / price per unit	Group 1	Group 2	Group 3	Group 4																																																																																													
	Wealth group		Very poor	Poor	Middle	Better off																																																																																													
Household																																																																																																			
	Household members		7	6	6	8																																																																																													
	Kcal per person per day		2100	2100	2100	2100																																																																																													
	Share of households in the zone (%)		25	35	28	12																																																																																													
Food Income			kg	kg	kg	kg																																																																																													
	Sorghum # (own harvest)	3400	250	450	900	1500																																																																																													
	Maize # (own harvest)	3500	100	200	350	500																																																																																													
	Cowpeas	3400	30	60	120	200																																																																																													
	Milk, own herd	650	60	200	600	1200																																																																																													
	Meat, own herd	1500	0	10	30	60																																																																																													
	Wild foods	1000	80	50	20	0																																																																																													
	Cereal food aid	3500	120	60	0	0																																																																																													
	Grain paid for labour	3400	150	80	0	0																																																																																													
Food Stocks			kg	kg	kg	kg																																																																																													
	Cereal stock at start of year	3400	20	60	150	300																																																																																													
Cash Income			units	units	units	units																																																																																													
	Farm labour (days)	150	90	80	0	0																																																																																													
	Firewood and charcoal (bundles)	40	100	80	20	0																																																																																													
	Goats sold (head)	1500	1	4	6	10																																																																																													
	Cattle sold (head)	9000	0	0	1	3																																																																																													
	Sorghum sold (kg)	6	0	0	200	600																																																																																													
	Petty trade (months)	500	0	3	6	12																																																																																													
	Remittances (transfers)	2000	0	1	2	4																																																																																													
Assets			units	units	units	units																																																																																													
	Goats (head)	1500	3	12	30	60																																																																																													
	Cattle (head)	9000	0	1	6	15																																																																																													
	Chickens (head)	150	5	8	10	10																																																																																													
Cash savings																																																																																																			
	Cash at hand		200	300	1500	5000																																																																																													
	Savings group		0	200	1000	3000																																																																																													
	Loans received		300	200	0	0																																																																																													
	Money owed to the household		0	0	500	2000																																																																																													
Non dispensable																																																																																																			
	Salt, soap and kerosene		1800	2000	2400	3000																																																																																													
	Grinding		1200	1100	1000	1200																																																																																													
	Water		600	600	800	1200																																																																																													
	Health care		1200	1400	2000	3500																																																																																													
	School fees and materials		500	800	2000	5000																																																																																													
	Veterinary drugs		0	300	1200	3000																																																																																													
	Local levies		200	300	600	1200																																																																																													
Dispensable																																																																																																			
	Clothes		1500	2000	3500	6000																																																																																													
	Tea and sugar		2500	3000	4000	6000																																																																																													
	Weddings and other social obligations		500	1000	2500	6000																																																																																													
	Household utensils		300	500	1000	2000																																																																																													
¥Seasonal Data
Source	Item	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep	Total	
Food Income															
	Sorghum # (own harvest)	30	40	20	10	0	0	0	0	0	0	0	0	          100	
	Maize # (own harvest)	0	0	0	0	0	0	0	0	0	20	50	30	          100	
	Cowpeas	40	40	20	0	0	0	0	0	0	0	0	0	          100	
	Milk, own herd	10	10	8	6	4	3	3	6	10	14	14	12	          100	
	Meat, own herd	10	10	20	10	5	5	5	5	5	5	10	10	          100	
	Wild foods	0	0	0	0	0	10	20	30	30	10	0	0	          100	
	Cereal food aid	0	0	0	0	0	0	25	25	25	25	0	0	          100	
	Grain paid for labour	40	40	20	0	0	0	0	0	0	0	0	0	          100	
															
Cash Income															
	Farm labour (days)	20	15	5	0	0	0	0	10	20	20	10	0	          100	
	Firewood and charcoal (bundles)	5	5	5	10	10	15	15	10	10	5	5	5	          100	
	Goats sold (head)	5	5	5	10	10	10	15	15	10	5	5	5	          100	
	Cattle sold (head)	0	0	0	20	20	20	20	20	0	0	0	0	          100	
	Sorghum sold (kg)	0	30	40	30	0	0	0	0	0	0	0	0	          100	
	Petty trade (months)	9	9	9	9	8	8	8	8	8	8	8	8	          100	
	Remittances (transfers)	10	5	5	10	5	5	10	10	10	10	10	10	          100	
¥Model
Assumptions for the years with shock: poor rains in Year 1, partial recovery in Year 2																																					
Year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Reference year	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 1	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	Year 2	
Month	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep	
Price of food to be purchased per kg																																					
Sorghum # (own harvest)	8	8	8	9	9	10	11	12	13	13	12	10	12	13	14	15	16	18	20	22	22	21	18	15	14	13	13	13	14	15	16	17	17	16	15	14	
Maize # (own harvest)	11	11	11	11	12	12	13	13	14	11	10	10	13	14	15	16	17	19	21	23	23	19	17	15	15	15	15	15	16	16	17	18	18	16	15	14	
% of these foods in the diet																																					
Sorghum # (own harvest)	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	70	
Maize # (own harvest)	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	30	
																																					
																																					
Food income in %																																					
	Year 1	Year 2																																			
Sorghum # (own harvest)	35	80																																			
Maize # (own harvest)	50	85																																			
Cowpeas	40	80																																			
Milk, own herd	50	75																																			
Meat, own herd	80	90																																			
Wild foods	120	100																																			
Cereal food aid	100	100																																			
Grain paid for labour	50	90																																			
																																					
Cash income in %			Prices in																																		
	Year 1	Year 2	Year 1	Year 2																																	
Farm labour (days)	60	90	120	140																																	
Firewood and charcoal (bundles)	130	110	30	35																																	
Goats sold (head)	150	100	900	1300																																	
Cattle sold (head)	150	100	6000	8000																																	
Sorghum sold (kg)	0	50	12	10																																	
Petty trade (months)	80	100	450	500																																	
Remittances (transfers)	120	100	2000	2000																																	
																																					
Additional gifts in Year 1 and Year 2																																					
	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep	Oct	Nov	Dec	Jan	Feb	Mar	Apr	May	Jun	Jul	Aug	Sep													
Food (kcal)	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0													
Cash	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0	0													
																																					
																																					
Assets to be sold to meet deficit																																					
	% to be sold in:		Prices in:																																		
Type	Year 1	Year 2	Year 1	Year 2																																	
Goats (head)	30	20	900	1300																																	
Cattle (head)	20	10	6000	8000																																	
Chickens (head)	50	30	100	150																																	


